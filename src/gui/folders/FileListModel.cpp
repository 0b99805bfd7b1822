#include "gui/folders/FileListModel.h"

#include <unistd.h>

#include <QApplication>
#include <QFileIconProvider>
#include <QIcon>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTextDocument>

#include <algorithm>
#include <numeric>

#include "gui/folders/FolderWatch.h"
#include "gui/base/DisplayName.h"
#include "gui/base/PlainText.h"
#include "core/base/SysError.h"
#include "core/run/FileDates.h"
#include "core/run/NameCollator.h"

namespace brindle
{

namespace
{

/// Entries read before the first rows are shown, and then between two looks at cancel.
constexpr std::size_t kFirstRows = 500;
constexpr std::size_t kReadStep = 4096;
/// Up to this many rows are sorted on the spot; more on a worker.
constexpr std::size_t kSortHere = 20000;
/// Changes coming in bursts are read once they settle.
constexpr int kSettleMs = 150;
/// Marks an entry that has no row.
constexpr std::uint32_t kNoRow = 0xFFFFFFFF;

// ---- tables

int typeRank(EntryType type)
{
    return type == EntryType::Folder ? 0 : 1;
}

/// The extension of a file name (after its last full stop, not a leading one), empty if none.
std::string_view extensionOf(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? std::string_view() : name.substr(dot + 1);
}

int compareAsciiNoCase(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        const auto x = static_cast<unsigned char>(lower(a[i]));
        const auto y = static_cast<unsigned char>(lower(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

/// Small picture of a warning mark in the lower right corner of the icon.
QIcon withMark(const QIcon& base)
{
    QIcon out;
    for (const int size : {16, 22, 32, 48}) {
        QPixmap pixmap = base.pixmap(size, size);
        if (pixmap.isNull())
            pixmap = QPixmap(size, size);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal r = size * 0.28;
        const QPointF centre(size - r - 0.5, size - r - 0.5);
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(QColor(0xC0, 0x10, 0x10));
        painter.drawEllipse(centre, r, r);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(static_cast<int>(r * 1.7));
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(
            QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), Qt::AlignCenter, QStringLiteral("!"));
        out.addPixmap(pixmap);
    }
    return out;
}

struct Icons {
    QIcon folder;
    QIcon file;
    QIcon folderMarked;
    QIcon fileMarked;
    QIcon folderError;
    QIcon fileError;
    QIcon manual;
};

/// A small pen: the mark of a new name given by hand.
QIcon penIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x20, 0x40, 0x80), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 12), QPointF(12, 4));
    p.setPen(QPen(QColor(0x20, 0x40, 0x80), 1.0));
    p.drawLine(QPointF(2.5, 13.5), QPointF(4, 12));
    return QIcon(pixmap);
}

const Icons& icons()
{
    static const Icons set = [] {
        QFileIconProvider provider;
        Icons s;
        s.folder = provider.icon(QAbstractFileIconProvider::Folder);
        s.file = provider.icon(QAbstractFileIconProvider::File);
        s.folderMarked = withMark(s.folder);
        s.fileMarked = withMark(s.file);
        // The pictures of the simulation's result tree for an entry the run fails on.
        s.folderError = QIcon(QStringLiteral(":/sim/folder_error.svg"));
        s.fileError = QIcon(QStringLiteral(":/sim/file_error.svg"));
        s.manual = penIcon();
        return s;
    }();
    return set;
}

QString typeText(EntryType type, std::string_view name)
{
    switch (type) {
    case EntryType::Folder:
        return QStringLiteral("Folder");
    case EntryType::Link:
        return QStringLiteral("Link");
    case EntryType::Other:
        return QStringLiteral("Special file");
    case EntryType::File:
        break;
    }
    const std::string_view ext = extensionOf(name);
    if (ext.empty())
        return QStringLiteral("File");
    return nameForDisplay(ext).toUpper() + QStringLiteral(" File");
}

/// The red of a marked name: dark on a light list, light on a dark one.
QColor markColor()
{
    const bool dark = QGuiApplication::palette().color(QPalette::Base).lightness() < 128;
    return dark ? QColor(0xFF, 0x80, 0x80) : QColor(0xA0, 0x00, 0x00);
}

QString errorTip(std::string_view reason)
{
    return QStringLiteral("The run would fail on this entry: %1").arg(nameForDisplay(reason));
}

} // namespace

std::string_view NewNames::newName(std::uint32_t i) const
{
    if (i + 1 >= nameAt.size())
        return {};
    return std::string_view(names).substr(nameAt[i], nameAt[i + 1] - nameAt[i]);
}

std::string_view NewNames::reason(std::uint32_t i) const
{
    const auto at = std::lower_bound(reasons.begin(), reasons.end(), i,
        [](const std::pair<std::uint32_t, std::string>& r, std::uint32_t e) { return r.first < e; });
    return at == reasons.end() || at->first != i ? std::string_view() : std::string_view(at->second);
}

bool NewNames::isManual(std::uint32_t i) const
{
    return std::binary_search(manual.begin(), manual.end(), i);
}

std::string NewNames::source(std::uint32_t i, std::string_view name) const
{
    using Read = std::pair<std::uint32_t, std::shared_ptr<const FileFacts>>;
    const auto at = std::lower_bound(
        facts.begin(), facts.end(), i, [](const Read& r, std::uint32_t e) { return r.first < e; });
    if (!templates || at == facts.end() || at->first != i)
        return {};
    const EntryFacts entry {folderName, at->second.get()};
    return templates->of(name, &entry);
}

void NewNames::add(EntryVerdict verdict, std::string_view newName)
{
    if (nameAt.empty())
        nameAt.push_back(0);
    verdicts.push_back(verdict);
    names.append(newName);
    nameAt.push_back(static_cast<std::uint32_t>(names.size()));
}

std::string_view ListingTable::key(std::uint32_t i) const
{
    return std::string_view(keys).substr(keyAt[i], keyAt[i + 1] - keyAt[i]);
}

std::int64_t ListingTable::find(std::string_view name) const
{
    const auto at = std::lower_bound(byBytes.begin(), byBytes.end(), name,
        [&](std::uint32_t e, std::string_view n) { return entries.name(e) < n; });
    if (at == byBytes.end() || entries.name(*at) != name)
        return -1;
    return *at;
}

std::shared_ptr<ListingTable> makeListingTable(FolderEntries entries, bool natural)
{
    auto table = std::make_shared<ListingTable>();
    table->entries = std::move(entries);
    // The hidden entries go to their own list; the shown ones close up in place, their names
    // staying where they are in the name bytes.
    std::vector<FolderEntry>& all = table->entries.entries;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string_view name = table->entries.name(i);
        if (isHiddenName(name)) {
            table->hidden.add(name, all[i].type, all[i].size, all[i].mtime);
            table->hiddenAt.push_back(static_cast<std::uint32_t>(kept));
            continue;
        }
        all[kept++] = all[i];
    }
    all.resize(kept);
    const std::size_t n = table->entries.size();
    // The same collation as the run's: the user's locale, case ignored. A worker's own collator,
    // since one collator is not to be used by two threads at once.
    const NameCollator collator(NameCollator::userLocaleName(), natural);
    table->keyAt.resize(n + 1);
    table->keys.reserve(n * 16);
    for (std::size_t i = 0; i < n; ++i) {
        table->keyAt[i] = static_cast<std::uint32_t>(table->keys.size());
        collator.appendSortKey(table->entries.name(i), table->keys);
    }
    table->keyAt[n] = static_cast<std::uint32_t>(table->keys.size());
    table->keys.shrink_to_fit();
    table->byBytes.resize(n);
    std::iota(table->byBytes.begin(), table->byBytes.end(), 0u);
    const FolderEntries& e = table->entries;
    std::sort(table->byBytes.begin(), table->byBytes.end(),
        [&](std::uint32_t a, std::uint32_t b) { return e.name(a) < e.name(b); });
    return table;
}

std::vector<std::uint32_t> sortedEntries(const ListingTable& table, int column, bool descending)
{
    std::vector<std::uint32_t> rows(table.size());
    std::iota(rows.begin(), rows.end(), 0u);
    const FolderEntries& e = table.entries;
    auto byName = [&](std::uint32_t a, std::uint32_t b) {
        const int c = table.key(a).compare(table.key(b));
        if (c != 0)
            return c;
        const int d = e.name(a).compare(e.name(b));
        return d < 0 ? -1 : d > 0 ? 1 : 0;
    };
    auto value = [&](std::uint32_t a, std::uint32_t b) -> int {
        const FolderEntry& x = e.entries[a];
        const FolderEntry& y = e.entries[b];
        switch (column) {
        case colSize:
            if (x.size != y.size)
                return x.size < y.size ? -1 : 1;
            break;
        case colType: {
            const int t = static_cast<int>(x.type) - static_cast<int>(y.type);
            if (t != 0)
                return t;
            const int c = compareAsciiNoCase(extensionOf(e.name(a)), extensionOf(e.name(b)));
            if (c != 0)
                return c;
            break;
        }
        case colDate:
            if (x.mtime != y.mtime)
                return x.mtime < y.mtime ? -1 : 1;
            break;
        default:
            break;
        }
        return byName(a, b);
    };
    std::sort(rows.begin(), rows.end(), [&](std::uint32_t a, std::uint32_t b) {
        // Folders first in either direction, as file managers show them.
        const int ra = typeRank(e.entries[a].type);
        const int rb = typeRank(e.entries[b].type);
        if (ra != rb)
            return ra < rb;
        const int c = value(a, b);
        return descending ? c > 0 : c < 0;
    });
    return rows;
}

// ---- the model

namespace
{
/// The model's two kinds of task: a read of the folder, and a sort of a large folder's rows.
const std::string kReadTask = "read";
const std::string kSortTask = "sort";
} // namespace

FileListModel::FileListModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_watch(std::make_unique<FolderWatch>())
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(m_watch.get(), &FolderWatch::changed, this, &FileListModel::folderChanged);
    connect(&m_settle, &QTimer::timeout, this, &FileListModel::reload);
}

FileListModel::~FileListModel() = default;

void FileListModel::setFolder(const std::string& path)
{
    m_folder = path;
    startRead(false);
}

void FileListModel::reload()
{
    if (m_folder.empty())
        return;
    startRead(true);
}

void FileListModel::stop()
{
    m_tasks.cancelAll();
    m_settle.stop();
    m_watch->clear();
    m_loaded = false;
    m_error.clear();
    beginResetModel();
    m_table.reset();
    m_order.clear();
    m_rows.clear();
    m_names.reset();
    endResetModel();
}

void FileListModel::startRead(bool keepRows)
{
    // A sort of the table shown is of no use once it is read again.
    m_tasks.cancelAll();
    m_settle.stop();
    m_loaded = false;
    m_changedWhileReading = false;
    if (!keepRows) {
        m_error.clear();
        beginResetModel();
        m_table.reset();
        m_order.clear();
        m_rows.clear();
        m_names.reset();
        endResetModel();
    }
    // Watched before it is read, so nothing that changes meanwhile goes unseen.
    m_watch->watch(m_folder);
    const std::string path = m_folder;
    const int column = m_sortColumn;
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    const bool natural = m_natural;
    m_tasks.start(
        [this, path, column, descending, natural, keepRows](const TaskContext& task) -> LatestTask::Done {
            const int fd = openFolderForListing(path);
            if (fd < 0) {
                const int error = errno;
                return [this, error] { fail(error); };
            }
            // Hidden entries too: the New name column's plan needs them.
            FolderReader reader;
            reader.start(fd);
            FolderEntries all;
            bool more = reader.readMore(all, kFirstRows, true);
            if (more && !keepRows) {
                // The first rows at once, in order among themselves; the rest follow.
                std::shared_ptr<ListingTable> first = makeListingTable(all, natural);
                std::vector<std::uint32_t> rows = sortedEntries(*first, column, descending);
                task.post([this, first, rows = std::move(rows)]() mutable {
                    applyTable(first, std::move(rows), true);
                });
            }
            while (more && !task.cancelled())
                more = reader.readMore(all, kReadStep, true);
            const int error = reader.error();
            ::close(fd);
            if (task.cancelled())
                return {};
            if (error)
                return [this, error] { fail(error); };
            std::shared_ptr<ListingTable> table = makeListingTable(std::move(all), natural);
            std::vector<std::uint32_t> rows = sortedEntries(*table, column, descending);
            return [this, table, rows = std::move(rows), column, descending]() mutable {
                m_error.clear();
                applyTable(table, std::move(rows), true);
                if (column != m_sortColumn || descending != (m_sortOrder == Qt::DescendingOrder)) {
                    // The order was changed while the folder was read.
                    sort(m_sortColumn, m_sortOrder);
                }
                m_loaded = true;
                emit loaded();
                if (m_changedWhileReading)
                    m_settle.start();
            };
        },
        kReadTask);
}

void FileListModel::fail(int error)
{
    m_loaded = true;
    m_error = QStringLiteral("This folder cannot be read: %1.")
                  .arg(QString::fromStdString(brindle::errorText(error)));
    beginResetModel();
    m_table.reset();
    m_order.clear();
    m_rows.clear();
    m_names.reset();
    endResetModel();
    emit tableChanged();
    emit loaded();
}

void FileListModel::folderChanged()
{
    if (m_tasks.busy(kReadTask))
        m_changedWhileReading = true;
    else
        m_settle.start();
}

void FileListModel::applyTable(
    std::shared_ptr<const ListingTable> table, std::vector<std::uint32_t> rows, bool keep)
{
    if (!keep || !m_table || m_rows.empty()) {
        beginResetModel();
        m_table = std::move(table);
        m_order = std::move(rows);
        m_names.reset();
        m_rows = visibleRows(m_order);
        endResetModel();
        emit tableChanged();
        return;
    }
    // The rows that are still there keep their selection, current row and editor.
    emit layoutAboutToBeChanged();
    m_names.reset();
    std::vector<std::uint32_t> shown = visibleRows(rows);
    std::vector<std::uint32_t> rowOfEntry(table->size(), kNoRow);
    for (std::size_t r = 0; r < shown.size(); ++r)
        rowOfEntry[shown[r]] = static_cast<std::uint32_t>(r);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const std::int64_t entry = table->find(nameAt(index.row()));
        const std::uint32_t row = entry < 0 ? kNoRow : rowOfEntry[static_cast<std::size_t>(entry)];
        after.push_back(row == kNoRow ? QModelIndex() : createIndex(static_cast<int>(row), index.column()));
    }
    m_table = std::move(table);
    m_order = std::move(rows);
    m_rows = std::move(shown);
    changePersistentIndexList(before, after);
    emit layoutChanged();
    emit tableChanged();
}

void FileListModel::applyOrder(std::vector<std::uint32_t> rows)
{
    m_order = std::move(rows);
    showRows(visibleRows(m_order));
}

std::vector<std::uint32_t> FileListModel::visibleRows(const std::vector<std::uint32_t>& order) const
{
    if (!m_onlyChanges && !m_onlyFailures)
        return order;
    std::vector<std::uint32_t> rows;
    if (!m_names)
        return rows;
    for (const std::uint32_t entry : order) {
        const EntryVerdict v = m_names->verdicts[entry];
        if (v == EntryVerdict::Error || (v == EntryVerdict::Renamed && !m_onlyFailures))
            rows.push_back(entry);
    }
    return rows;
}

void FileListModel::showRows(std::vector<std::uint32_t> rows)
{
    emit layoutAboutToBeChanged();
    std::vector<std::uint32_t> rowOfEntry(m_table ? m_table->size() : 0, kNoRow);
    for (std::size_t r = 0; r < rows.size(); ++r)
        rowOfEntry[rows[r]] = static_cast<std::uint32_t>(r);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const std::uint32_t row = rowOfEntry[m_rows[static_cast<std::size_t>(index.row())]];
        after.push_back(row == kNoRow ? QModelIndex() : createIndex(static_cast<int>(row), index.column()));
    }
    m_rows = std::move(rows);
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

std::vector<std::uint32_t> FileListModel::runOrder() const
{
    if (!m_names || !m_table || m_names->runOrder.size() != m_table->size())
        return {};
    return m_names->runOrder;
}

void FileListModel::sort(int column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    if (!m_table || m_table->size() < 2)
        return;
    if (column < 0) {
        // The run's order once the column gives it; by name until then.
        if (std::vector<std::uint32_t> rows = runOrder(); !rows.empty()) {
            applyOrder(std::move(rows));
            return;
        }
    }
    if (m_table->size() <= kSortHere) {
        m_tasks.cancel(kSortTask);
        applyOrder(sortedEntries(*m_table, column, order == Qt::DescendingOrder));
        return;
    }
    // A large folder is sorted on the worker; the rows keep their order until it is done.
    const std::shared_ptr<const ListingTable> table = m_table;
    m_tasks.start(
        [this, table, column, order](const TaskContext&) -> LatestTask::Done {
            std::vector<std::uint32_t> rows = sortedEntries(*table, column, order == Qt::DescendingOrder);
            return [this, table, column, order, rows = std::move(rows)]() mutable {
                if (table == m_table && column == m_sortColumn && order == m_sortOrder)
                    applyOrder(std::move(rows));
            };
        },
        kSortTask);
}

void FileListModel::setNaturalOrder(bool natural)
{
    if (natural == m_natural)
        return;
    m_natural = natural;
    reload();
}

std::string_view FileListModel::nameAt(int row) const
{
    if (!m_table || row < 0 || static_cast<std::size_t>(row) >= m_rows.size())
        return {};
    return m_table->entries.name(m_rows[static_cast<std::size_t>(row)]);
}

EntryType FileListModel::typeAt(int row) const
{
    if (!m_table || row < 0 || static_cast<std::size_t>(row) >= m_rows.size())
        return EntryType::Other;
    return m_table->entries.entries[m_rows[static_cast<std::size_t>(row)]].type;
}

int FileListModel::rowOf(std::string_view name) const
{
    if (!m_table)
        return -1;
    const std::int64_t entry = m_table->find(name);
    if (entry < 0)
        return -1;
    // Rows are few to look through compared with what it costs to keep a map of them.
    const auto at = std::find(m_rows.begin(), m_rows.end(), static_cast<std::uint32_t>(entry));
    return at == m_rows.end() ? -1 : static_cast<int>(at - m_rows.begin());
}

void FileListModel::setEntryResults(
    const std::shared_ptr<const ListingTable>& table, std::vector<EntryResult> results)
{
    auto names = std::make_shared<NewNames>();
    for (std::size_t i = 0; i < results.size(); ++i) {
        names->add(results[i].verdict, results[i].newName);
        if (results[i].verdict == EntryVerdict::Error)
            names->reasons.emplace_back(static_cast<std::uint32_t>(i), std::move(results[i].reason));
    }
    setNewNames(table, std::move(names));
}

void FileListModel::setNewNames(
    const std::shared_ptr<const ListingTable>& table, std::shared_ptr<const NewNames> names)
{
    if (!table || table != m_table || (names && names->verdicts.size() != m_table->size()))
        return;
    m_names = std::move(names);
    std::vector<std::uint32_t> order = m_sortColumn < 0 ? runOrder() : std::vector<std::uint32_t>();
    const bool reorder = !order.empty() && order != m_order;
    if (reorder)
        m_order = std::move(order);
    if (reorder || m_onlyChanges || m_onlyFailures)
        showRows(visibleRows(m_order));
    // Only the column itself: a name being edited in place keeps what has been typed.
    if (!m_rows.empty() && m_showNewName)
        emit dataChanged(index(0, colNewName), index(rowCount() - 1, colNewName));
}

void FileListModel::setOnlyChanges(bool only)
{
    if (only == m_onlyChanges)
        return;
    m_onlyChanges = only;
    if (m_table)
        showRows(visibleRows(m_order));
}

void FileListModel::setOnlyFailures(bool only)
{
    if (only == m_onlyFailures)
        return;
    m_onlyFailures = only;
    if (m_table)
        showRows(visibleRows(m_order));
}

void FileListModel::setNewNameColumnShown(bool shown)
{
    if (shown == m_showNewName)
        return;
    if (shown) {
        beginInsertColumns({}, colNewName, colNewName);
        m_showNewName = true;
        endInsertColumns();
    } else {
        beginRemoveColumns({}, colNewName, colNewName);
        m_showNewName = false;
        endRemoveColumns();
    }
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_showNewName ? colNewName + 1 : colNewName;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_table || index.row() >= rowCount())
        return {};
    const std::uint32_t entry = m_rows[static_cast<std::size_t>(index.row())];
    const FolderEntry& e = m_table->entries.entries[entry];
    const std::string_view name = m_table->entries.name(entry);
    const EntryVerdict verdict = m_names ? m_names->verdicts[entry] : EntryVerdict::None;
    switch (role) {
    case NameBytesRole:
        return QByteArray(name.data(), static_cast<qsizetype>(name.size()));
    case EntryTypeRole:
        return static_cast<int>(e.type);
    case InvalidNameRole: {
        NameFlags flags;
        nameForDisplay(name, &flags);
        return flags.invalidUtf8;
    }
    case NewNameRole:
        return verdict == EntryVerdict::Renamed ? nameForDisplay(m_names->newName(entry)) : QString();
    case VerdictRole:
        return static_cast<int>(verdict);
    default:
        break;
    }
    switch (index.column()) {
    case colName: {
        if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::DecorationRole
            && role != Qt::ToolTipRole && role != Qt::ForegroundRole)
            return {};
        NameFlags flags;
        const QString text = nameForDisplay(name, &flags);
        const bool marked = flags.invalidUtf8 || flags.controlChars;
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return text;
        if (role == Qt::DecorationRole) {
            const bool folder = e.type == EntryType::Folder;
            return marked ? (folder ? icons().folderMarked : icons().fileMarked)
                          : (folder ? icons().folder : icons().file);
        }
        if (role == Qt::ForegroundRole)
            return marked ? QVariant(markColor()) : QVariant();
        QString tip = !marked ? text
                              : QStringLiteral("%1\n%2").arg(flags.invalidUtf8
                                      ? QStringLiteral("The name is not valid UTF-8; its bytes:")
                                      : QStringLiteral("The name holds control characters; its bytes:"),
                                  escapedName(name));
        // The views without the New name column show it here.
        if (verdict == EntryVerdict::Renamed)
            tip += QStringLiteral("\nNew name: %1").arg(nameForDisplay(m_names->newName(entry)));
        else if (verdict == EntryVerdict::Error)
            tip += QLatin1Char('\n') + errorTip(m_names->reason(entry));
        return plainToolTip(tip);
    }
    case colSize:
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        if (role == Qt::DisplayRole && e.type != EntryType::Folder)
            return QLocale().formattedDataSize(e.size, 1, QLocale::DataSizeTraditionalFormat);
        return {};
    case colType:
        return role == Qt::DisplayRole ? typeText(e.type, name) : QVariant();
    case colDate:
        if (role == Qt::DisplayRole)
            return QString::fromStdString(formatDate(fileTimeToDate(static_cast<std::time_t>(e.mtime))));
        return {};
    case colNewName: {
        // A name given by hand is drawn apart: in italics, with a pen.
        const bool manual = verdict != EntryVerdict::None && m_names->isManual(entry);
        if (role == Qt::EditRole && verdict != EntryVerdict::None)
            return nameForDisplay(verdict == EntryVerdict::Unchanged ? name : m_names->newName(entry));
        if (role == Qt::FontRole && manual) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        if (role == Qt::DecorationRole && manual && verdict != EntryVerdict::Error)
            return icons().manual;
        if (role == Qt::ToolTipRole && manual && verdict == EntryVerdict::Unchanged)
            return QStringLiteral("Named by hand: keeps its name");
        // An entry the run fails on shows the name it wanted beside the simulation's picture.
        if (role == Qt::DisplayRole && (verdict == EntryVerdict::Renamed || verdict == EntryVerdict::Error))
            return nameForDisplay(m_names->newName(entry));
        if (role == Qt::DecorationRole && verdict == EntryVerdict::Error)
            return e.type == EntryType::Folder ? icons().folderError : icons().fileError;
        if (role == Qt::ToolTipRole && (verdict == EntryVerdict::Error || verdict == EntryVerdict::Renamed)) {
            const QString tip = nameForDisplay(
                verdict == EntryVerdict::Error ? m_names->reason(entry) : m_names->newName(entry));
            const std::string source = m_names->source(entry, name);
            // The values come from the files: shown as plain text, whatever they hold.
            return plainToolTip(source.empty() ? tip : tip + QLatin1Char('\n') + nameForDisplay(source));
        }
        return {};
    }
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case colName:
        return QStringLiteral("Name");
    case colSize:
        return QStringLiteral("Size");
    case colType:
        return QStringLiteral("Type");
    case colDate:
        return QStringLiteral("Date Modified");
    case colNewName:
        return QStringLiteral("New name");
    default:
        return {};
    }
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == colName)
        f |= Qt::ItemIsEditable;
    // A new name can be typed once the plan has named the entry.
    if (index.isValid() && index.column() == colNewName && index.data(VerdictRole).toInt() != 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool FileListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != colNewName || role != Qt::EditRole)
        return false;
    const std::string oldName(nameAt(index.row()));
    // The symbols that stand for odd bytes in the name shown give those bytes back.
    const std::string base = index.data(VerdictRole).toInt() == static_cast<int>(EntryVerdict::Unchanged)
        ? oldName
        : std::string(m_names->newName(m_rows[static_cast<std::size_t>(index.row())]));
    emit newNameTyped(oldName, bytesFromEditedName(base, value.toString()));
    return true;
}

} // namespace brindle
