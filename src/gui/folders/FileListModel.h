#pragma once

#include <QAbstractTableModel>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/jobs/TemplateSources.h"
#include "core/run/FolderReader.h"
#include "gui/base/LatestTask.h"

namespace brindle
{

class FolderWatch;

/// One folder's entries as the file list holds them, with a sort key of each name (the run's
/// collator) and the entries in byte order of their names for finding one. Made on a worker
/// thread and never changed afterwards, so the list and the workers share it.
struct ListingTable {
    /// The entries the list shows: every one but the hidden ones, in the folder's order.
    FolderEntries entries;
    /// The hidden entries, which the list does not show but a plan of the folder must know
    /// (they hold their names, and hidden subfolders are renamed), and before each of them the
    /// number of shown entries the folder gave first: together they are the folder's listing
    /// in its own order.
    FolderEntries hidden;
    std::vector<std::uint32_t> hiddenAt;
    /// The collation keys back to back; key i is keys[keyAt[i], keyAt[i + 1]).
    std::string keys;
    std::vector<std::uint32_t> keyAt;
    /// Entry numbers in byte order of the names.
    std::vector<std::uint32_t> byBytes;

    std::size_t size() const { return entries.size(); }
    std::string_view key(std::uint32_t i) const;
    /// The entry of that name, or -1.
    std::int64_t find(std::string_view name) const;
};

/// The columns of the file list. newName is shown only once something fills it in
/// (setNewNameColumnShown).
enum FileColumn { colName, colSize, colType, colDate, colNewName };

/// What the rename plan says of an entry, for the New name column.
enum class EntryVerdict : std::uint8_t { None, Unchanged, Renamed, Error };
struct EntryResult {
    EntryVerdict verdict = EntryVerdict::None;
    std::string newName;
    /// Why the run would fail on the entry (Error).
    std::string reason;
};

/// The New name column of one listing table, indexed by entry number: a few bytes an entry
/// and the new names back to back, so that a large folder's column costs little more than its
/// names. Made on a worker and never changed afterwards.
struct NewNames {
    std::vector<EntryVerdict> verdicts;
    /// New name i is names[nameAt[i], nameAt[i + 1]) (empty unless Renamed, or Error: the
    /// name wanted).
    std::vector<std::uint32_t> nameAt;
    std::string names;
    /// The reasons of the entries that fail, by entry number.
    std::vector<std::pair<std::uint32_t, std::string>> reasons;
    /// How many of the entries that fail clash with another entry's name (held or wanted first).
    std::uint32_t clashes = 0;
    /// Every entry in the order the run takes them (sorting on), or empty (sorting off).
    std::vector<std::uint32_t> runOrder;
    /// The entries whose new name was given by hand, ascending.
    std::vector<std::uint32_t> manual;
    /// Where the values of the template jobs come from, made for one entry when its tool tip
    /// is asked for (made for every entry, they cost as much as the plan): the templates, the
    /// folder's name, and what each entry the jobs read holds, by entry number.
    std::shared_ptr<const TemplateSources> templates;
    std::string folderName;
    std::vector<std::pair<std::uint32_t, std::shared_ptr<const FileFacts>>> facts;

    std::string_view newName(std::uint32_t i) const;
    std::string_view reason(std::uint32_t i) const;
    /// Where the values of entry i, now named name, come from, one line a value; empty when
    /// the jobs read nothing of it.
    std::string source(std::uint32_t i, std::string_view name) const;
    bool isManual(std::uint32_t i) const;
    /// Appends entry i's result; entries are added in number order.
    void add(EntryVerdict verdict, std::string_view newName = {});
};

/// The entries of one folder for the file list's views: read through the core's listing on a
/// worker thread (bytes as they are, no link followed, hidden entries kept aside), sorted on a
/// worker for large folders, watched for changes while shown. Names stay bytes; their text is
/// made only for the rows drawn. The newest read or sort wins (LatestTask).
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role {
        /// The exact name, QByteArray.
        NameBytesRole = Qt::UserRole + 1,
        /// EntryType as int.
        EntryTypeRole,
        /// Whether the name holds bytes that are not valid UTF-8.
        InvalidNameRole,
        /// The new name as the plan gives it (text), empty when none.
        NewNameRole,
        /// EntryVerdict as int.
        VerdictRole,
    };

    explicit FileListModel(QObject* parent = nullptr);
    ~FileListModel() override;

    /// Shows the folder path (bytes): empties the rows and reads it; the first rows come after
    /// the first few hundred entries, the rest once the folder has been read and sorted.
    void setFolder(const std::string& path);
    const std::string& folder() const { return m_folder; }
    /// Reads the folder again; the rows that are still there keep their selection.
    void reload();
    /// Stops reading and watching and empties the rows (until setFolder or reload).
    void stop();

    /// The folder has been read and sorted completely since the last setFolder or reload.
    bool isLoaded() const { return m_loaded; }
    /// Why the folder cannot be shown ("" while it can).
    const QString& errorText() const { return m_error; }

    /// The exact name, the type of the entry in a row.
    std::string_view nameAt(int row) const;
    EntryType typeAt(int row) const;
    /// The row of the entry of that name, or -1.
    int rowOf(std::string_view name) const;

    /// Name sort keys with natural number order (ICU numeric collation) or without; a change
    /// reads the folder again.
    void setNaturalOrder(bool natural);

    /// The table shown, for computing results from; null while nothing has been read.
    std::shared_ptr<const ListingTable> table() const { return m_table; }
    /// Sets the result of every entry of table (indexed by entry number); ignored unless
    /// table is still the one shown.
    void setEntryResults(const std::shared_ptr<const ListingTable>& table, std::vector<EntryResult> results);
    /// The same from a column made on a worker; null clears the column.
    void setNewNames(const std::shared_ptr<const ListingTable>& table, std::shared_ptr<const NewNames> names);
    const std::shared_ptr<const NewNames>& newNames() const { return m_names; }
    /// Adds or removes the New name column.
    void setNewNameColumnShown(bool shown);
    /// Shows only the entries that get a new name or that the run fails on (none until the
    /// column has been computed for the table shown).
    void setOnlyChanges(bool only);
    bool onlyChanges() const { return m_onlyChanges; }
    /// Shows only the entries that the run fails on (over setOnlyChanges).
    void setOnlyFailures(bool only);
    bool onlyFailures() const { return m_onlyFailures; }

    /// The New name column takes names typed into it: the entry's old name and the new name
    /// go out through newNameTyped.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    /// column -1 is the run's order, as the New name column gives it (by name until then).
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }

signals:
    /// The folder has been read and sorted (isLoaded) or could not be read (errorText).
    void loaded();
    /// The rows were replaced by another table (read again, or another folder).
    void tableChanged();
    /// A new name was typed into the New name column for the entry oldName.
    void newNameTyped(const std::string& oldName, const std::string& newName);

private:
    struct Job;
    void startRead(bool keepRows);
    /// Puts a table in place; rows in display order. keep: map the selection across by name.
    void applyTable(std::shared_ptr<const ListingTable> table, std::vector<std::uint32_t> rows, bool keep);
    void applyOrder(std::vector<std::uint32_t> rows);
    /// The rows shown of an order: all of them, or those that change.
    std::vector<std::uint32_t> visibleRows(const std::vector<std::uint32_t>& order) const;
    /// Shows rows (entry numbers), keeping selection and current row on the entries still shown.
    void showRows(std::vector<std::uint32_t> rows);
    /// The run's order of the table's entries when the column gives one, else empty.
    std::vector<std::uint32_t> runOrder() const;
    void fail(int error);
    void folderChanged();

    std::string m_folder;
    std::shared_ptr<const ListingTable> m_table;
    /// Entry numbers of the table in display order, and of each row shown (all of them, or
    /// those that change).
    std::vector<std::uint32_t> m_order;
    std::vector<std::uint32_t> m_rows;
    std::shared_ptr<const NewNames> m_names;
    bool m_showNewName = false;
    bool m_onlyChanges = false;
    bool m_onlyFailures = false;
    int m_sortColumn = colName;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_natural = false;
    bool m_loaded = false;
    /// A change was seen while reading: read again once done.
    bool m_changedWhileReading = false;
    QString m_error;
    std::unique_ptr<FolderWatch> m_watch;
    QTimer m_settle;
    /// The reads and the sorts of large folders. Last: waited for before anything else goes.
    LatestTask m_tasks;
};

/// The entries of table in the order of column: folders before the rest, then by the column's
/// value, ties by name. Runs on any thread.
std::vector<std::uint32_t> sortedEntries(const ListingTable& table, int column, bool descending);

/// Makes the table of entries (hidden ones put aside): sort keys from a collator in the user's
/// locale.
std::shared_ptr<ListingTable> makeListingTable(FolderEntries entries, bool natural);

} // namespace brindle
