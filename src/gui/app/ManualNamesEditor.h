#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <string>

#include "core/run/ManualNames.h"

class QAction;
class QWidget;

namespace brindle
{

class FileListView;
class IUserDialogs;
class LogWindow;
class NewNamePreview;

/// The new names given by hand in the folder the file list shows: typed into the New name
/// column, edited as text, imported from a list. They override the jobs for their entries
/// (the preview and Go go through the same plan), survive edits of the job list and are dropped,
/// after a question, when another folder is shown. Also writes the plan out ("Export Plan...").
class ManualNamesEditor : public QObject
{
    Q_OBJECT

public:
    ManualNamesEditor(FileListView* list, NewNamePreview* preview, IUserDialogs& dialogs, QWidget* window,
        std::function<LogWindow*()> log);

    /// Gives oldName the new name newName (empty: back to what the jobs make).
    void setName(const std::string& oldName, const std::string& newName);
    void clear();
    std::size_t count() const { return m_names->manualCount(); }
    /// The names for a run started in the folder shown (folder "" of the run), or null.
    std::shared_ptr<const ManualNames> runNames() const;

    /// Another folder is to be shown: with names set, asks whether to drop them; false when the
    /// user keeps them (the folder shown stays).
    bool folderChanging(const std::string& path);
    /// A real run renamed the folder: the names were its old names.
    void runDone() { clear(); }

    QAction* clearAction() const { return m_clear; }
    /// The folder the names belong to.
    const std::string& folder() const { return m_folder; }

public slots:
    void editAsText();
    void importList();
    void exportPlan();

signals:
    void changed();

private:
    void publish();

    FileListView* m_list;
    NewNamePreview* m_preview;
    IUserDialogs& m_dialogs;
    QWidget* m_window;
    std::function<LogWindow*()> m_log;
    std::string m_folder;
    std::shared_ptr<FolderNames> m_names;
    QAction* m_clear;
};

} // namespace brindle
