#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <vector>

#include "core/jobs/Job.h"
#include "core/joblist/PresetStore.h"

class QMenu;
class QWidget;

namespace brindle
{

class IUserDialogs;

/// What the presets menu needs of the window: the jobs to save, a way to put a loaded job list
/// in place, and the encoding that job list files are written in.
struct PresetsHost {
    std::function<const std::vector<Job>&()> jobs;
    std::function<void(std::vector<Job>)> replaceJobs;
    std::function<std::string()> encoding;
};

/// The Presets menu: "Save Job List as Preset..." (asks a name), every preset for one click,
/// and "Manage Presets..." (rename, delete). The menu is drawn afresh each time it opens, so
/// presets added as files show up too.
class PresetsMenu : public QObject
{
    Q_OBJECT

public:
    PresetsMenu(QMenu* menu, std::string folder, IUserDialogs& dialogs, QWidget* window, PresetsHost host);

    PresetStore& store() { return m_store; }
    /// Draws the menu from the presets there now.
    void rebuild();

    /// Asks a name and saves the jobs under it; false when nothing was saved.
    bool saveAsPreset();
    /// Replaces the job list by the preset name's jobs; false (and said) when it cannot be read.
    bool loadPreset(const std::string& name);
    /// The dialog that renames and deletes presets.
    void managePresets();

private:
    void say(const std::string& text);

    QMenu* m_menu;
    PresetStore m_store;
    IUserDialogs& m_dialogs;
    QWidget* m_window;
    PresetsHost m_host;
};

} // namespace brindle
