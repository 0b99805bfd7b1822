#include "gui/app/ManualNamesEditor.h"

#include <QAction>
#include <QWidget>

#include "core/base/FileIo.h"
#include "core/base/JsonText.h"
#include "core/run/NameListFile.h"
#include "gui/app/EditNamesDialog.h"
#include "gui/app/UserDialogs.h"
#include "gui/base/DisplayName.h"
#include "gui/base/NameText.h"
#include "gui/folders/FileListModel.h"
#include "gui/folders/FileListView.h"
#include "gui/folders/NewNamePreview.h"
#include "gui/run/LogWindow.h"

namespace brindle
{

namespace
{

std::string_view verdictText(EntryVerdict verdict)
{
    switch (verdict) {
    case EntryVerdict::Renamed:
        return "renamed";
    case EntryVerdict::Error:
        return "failed";
    case EntryVerdict::Unchanged:
    case EntryVerdict::None:
        break;
    }
    return "unchanged";
}

} // namespace

ManualNamesEditor::ManualNamesEditor(FileListView* list, NewNamePreview* preview, IUserDialogs& dialogs,
    QWidget* window, std::function<LogWindow*()> log)
    : QObject(window)
    , m_list(list)
    , m_preview(preview)
    , m_dialogs(dialogs)
    , m_window(window)
    , m_log(std::move(log))
    , m_names(std::make_shared<FolderNames>())
{
    m_folder = list->listModel()->folder();
    m_clear = new QAction(QStringLiteral("Clear manual names"), this);
    m_clear->setObjectName(QStringLiteral("cmClearManualNames"));
    m_clear->setEnabled(false);
    connect(m_clear, &QAction::triggered, this, &ManualNamesEditor::clear);
    list->addContextAction(m_clear);
    connect(list->listModel(), &FileListModel::newNameTyped, this,
        [this](const std::string& oldName, const std::string& newName) { setName(oldName, newName); });
}

void ManualNamesEditor::publish()
{
    m_clear->setEnabled(count() != 0);
    // The preview works on a copy of its own, on a worker.
    m_preview->setManualNames(std::make_shared<const FolderNames>(*m_names));
    emit changed();
}

void ManualNamesEditor::setName(const std::string& oldName, const std::string& newName)
{
    if (newName.empty())
        m_names->remove(oldName);
    else
        m_names->set(oldName, newName);
    publish();
}

void ManualNamesEditor::clear()
{
    if (m_names->empty())
        return;
    m_names->clear();
    publish();
}

std::shared_ptr<const ManualNames> ManualNamesEditor::runNames() const
{
    if (m_names->empty())
        return nullptr;
    auto names = std::make_shared<ManualNames>();
    names->folder("") = *m_names;
    return names;
}

bool ManualNamesEditor::folderChanging(const std::string& path)
{
    if (path == m_folder)
        return true;
    if (count() != 0
        && !m_dialogs.askYesNo(m_window,
            QStringLiteral("Drop the %1 new names given by hand in %2?")
                .arg(count())
                .arg(nameForDisplay(m_folder))))
        return false;
    m_folder = path;
    clear();
    return true;
}

void ManualNamesEditor::editAsText()
{
    FileListModel* model = m_list->listModel();
    if (!model->newNames() || !model->isLoaded()) {
        m_dialogs.showMessage(m_window, QStringLiteral("The new names are not computed yet."));
        return;
    }
    // The entries the plan names, in the list's order.
    std::vector<std::string> oldNames;
    std::vector<std::string> newNames;
    QStringList oldLines;
    QStringList newLines;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, colNewName);
        if (index.data(FileListModel::VerdictRole).toInt() == static_cast<int>(EntryVerdict::None))
            continue;
        const std::string oldName(model->nameAt(row));
        const QString shown = index.data(Qt::EditRole).toString();
        oldNames.push_back(oldName);
        newNames.push_back(bytesFromEditedName(oldName, shown));
        oldLines.push_back(nameForDisplay(oldName));
        newLines.push_back(shown);
    }
    EditNamesDialog dialog(oldLines, newLines, m_window);
    if (m_dialogs.execDialog(dialog) != QDialog::Accepted)
        return;
    const QStringList edited = dialog.newNames();
    for (qsizetype i = 0; i < edited.size(); ++i) {
        if (edited[i] == newLines[i])
            continue;
        const auto k = static_cast<std::size_t>(i);
        m_names->set(oldNames[k], bytesFromEditedName(newNames[k], edited[i]));
    }
    publish();
}

void ManualNamesEditor::importList()
{
    const QString file = m_dialogs.chooseOpenFile(m_window,
        {QStringLiteral("Import New Names"),
            {QStringLiteral("Name lists (*.tsv *.csv *.txt)"), QStringLiteral("All files (*)")}, {}, {}});
    if (file.isEmpty())
        return;
    const std::string path = textToBytes(file);
    std::string text;
    if (const SysError e = readWholeFile(path, text)) {
        m_dialogs.showMessage(m_window, QStringLiteral("%1: %2").arg(file, bytesToText(e.text())));
        return;
    }
    // A list with NUL bytes holds NUL-separated pairs, as the command line's -0 writes them.
    const bool nul = text.find('\0') != std::string::npos;
    const Result<std::vector<NamePair>> list
        = parseNameList(text, nul ? NameListFormat::Nul : NameListFormat::Detect);
    if (!list.ok()) {
        m_dialogs.showMessage(
            m_window, QStringLiteral("%1: %2").arg(file, bytesToText(list.error().message)));
        return;
    }
    const std::shared_ptr<const ListingTable> table = m_list->listModel()->table();
    std::size_t taken = 0;
    QString missing;
    std::size_t missingCount = 0;
    for (const NamePair& pair : list.value()) {
        if (table && table->find(pair.oldName) >= 0) {
            m_names->set(pair.oldName, pair.newName);
            ++taken;
            continue;
        }
        ++missingCount;
        missing += QStringLiteral("! Not in %1: %2 (line %3)\n")
                       .arg(nameForDisplay(m_folder), nameForDisplay(pair.oldName))
                       .arg(pair.line);
    }
    publish();
    QString report = QStringLiteral("%1 new names imported.").arg(taken);
    if (missingCount != 0) {
        report += QStringLiteral(" %1 names of the list are not in this folder; the log lists them.")
                      .arg(missingCount);
        if (LogWindow* log = m_log ? m_log() : nullptr) {
            log->appendLines(missing);
            log->showLog();
        }
    }
    m_dialogs.showMessage(m_window, report);
}

void ManualNamesEditor::exportPlan()
{
    FileListModel* model = m_list->listModel();
    const std::shared_ptr<const NewNames> names = model->newNames();
    const std::shared_ptr<const ListingTable> table = model->table();
    if (!names || !table) {
        m_dialogs.showMessage(m_window, QStringLiteral("The new names are not computed yet."));
        return;
    }
    const QString file = m_dialogs.chooseSaveFile(m_window,
        {QStringLiteral("Export Plan"),
            {QStringLiteral("Tab-separated (*.tsv)"), QStringLiteral("JSON (*.json)")}, QStringLiteral("tsv"),
            {}});
    if (file.isEmpty())
        return;
    const bool json = file.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive);
    std::string out = json ? "[\n" : "";
    std::size_t left = 0;
    bool first = true;
    // In the run's order when it sorts, else in byte order of the names.
    const std::vector<std::uint32_t>& order = names->runOrder.empty() ? table->byBytes : names->runOrder;
    for (const std::uint32_t e : order) {
        const EntryVerdict verdict = names->verdicts[e];
        if (verdict == EntryVerdict::None)
            continue;
        const std::string_view oldName = table->entries.name(e);
        const std::string_view newName = verdict == EntryVerdict::Unchanged ? oldName : names->newName(e);
        const std::string_view reason = names->reason(e);
        if (json) {
            out += first ? "  {\"old\": " : ",\n  {\"old\": ";
            appendJsonName(out, oldName);
            out += ", \"new\": ";
            appendJsonName(out, newName);
            out += ", \"verdict\": ";
            appendJsonString(out, verdictText(verdict));
            out += ", \"reason\": ";
            appendJsonName(out, reason);
            out += ", \"manual\": ";
            out += names->isManual(e) ? "true}" : "false}";
            first = false;
        } else if (fitsTsv(oldName) && fitsTsv(newName)) {
            appendTsvLine(out, {oldName, newName, verdictText(verdict), reason});
        } else {
            ++left;
        }
    }
    if (json)
        out += "\n]\n";
    if (const SysError e = writeFileAtomically(textToBytes(file), out)) {
        m_dialogs.showMessage(
            m_window, QStringLiteral("Unable to write to %1: %2").arg(file, bytesToText(e.text())));
        return;
    }
    if (left != 0)
        m_dialogs.showMessage(m_window,
            QStringLiteral(
                "%1 names hold a tab or a line break, which a tab-separated file cannot hold: they are "
                "left out. JSON holds every name.")
                .arg(left));
}

} // namespace brindle
