#include "gui/app/PresetsMenu.h"

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <utility>

#include "core/joblist/JobListFile.h"
#include "gui/app/UserDialogs.h"
#include "gui/base/DisplayName.h"
#include "gui/base/NameText.h"
#include "gui/app/ManagePresetsDialog.h"

namespace brindle
{

PresetsMenu::PresetsMenu(
    QMenu* menu, std::string folder, IUserDialogs& dialogs, QWidget* window, PresetsHost host)
    : QObject(window)
    , m_menu(menu)
    , m_store(std::move(folder))
    , m_dialogs(dialogs)
    , m_window(window)
    , m_host(std::move(host))
{
    connect(m_menu, &QMenu::aboutToShow, this, &PresetsMenu::rebuild);
    rebuild();
}

void PresetsMenu::rebuild()
{
    m_menu->clear();
    QAction* save = m_menu->addAction(QStringLiteral("Save Job List as &Preset..."));
    save->setObjectName(QStringLiteral("cmSavePreset"));
    connect(save, &QAction::triggered, this, &PresetsMenu::saveAsPreset);
    m_menu->addSeparator();
    const std::vector<std::string> names = m_store.names();
    for (const std::string& name : names) {
        // A name is text here, never markup or a shortcut: "&" stays itself.
        QString text = nameForDisplay(name);
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = m_menu->addAction(text);
        item->setObjectName(QStringLiteral("cmPreset"));
        item->setData(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
        connect(item, &QAction::triggered, this, [this, name] { loadPreset(name); });
    }
    if (names.empty()) {
        QAction* none = m_menu->addAction(QStringLiteral("(no presets yet)"));
        none->setEnabled(false);
    }
    m_menu->addSeparator();
    QAction* manage = m_menu->addAction(QStringLiteral("&Manage Presets..."));
    manage->setObjectName(QStringLiteral("cmManagePresets"));
    manage->setEnabled(!names.empty());
    connect(manage, &QAction::triggered, this, &PresetsMenu::managePresets);
}

bool PresetsMenu::saveAsPreset()
{
    const std::vector<Job>& jobs = m_host.jobs();
    if (jobs.empty()) {
        say(std::string(kMsgNothingToSave));
        return false;
    }
    const QString typed = m_dialogs.askText(m_window, QStringLiteral("Save Job List as Preset"),
        QStringLiteral("Name of the preset:"), QString());
    if (typed.isEmpty())
        return false;
    const std::string name = textToBytes(typed.trimmed());
    if (const std::string problem = PresetStore::nameProblem(name); !problem.empty()) {
        say(problem);
        return false;
    }
    const std::vector<std::string> names = m_store.names();
    if (std::find(names.begin(), names.end(), name) != names.end()
        && !m_dialogs.askYesNo(m_window,
            QStringLiteral("A preset named \"%1\" exists already. Replace it?").arg(nameForDisplay(name))))
        return false;
    if (const Result<void> saved = m_store.save(name, jobs, m_host.encoding()); !saved.ok()) {
        say(saved.error().message);
        return false;
    }
    // The menu is drawn again when it next opens (not here: its own item is still at work).
    return true;
}

bool PresetsMenu::loadPreset(const std::string& name)
{
    Result<std::vector<Job>> loaded = m_store.load(name);
    if (!loaded.ok()) {
        say(loaded.error().message);
        return false;
    }
    m_host.replaceJobs(std::move(loaded).value());
    return true;
}

void PresetsMenu::managePresets()
{
    ManagePresetsDialog dialog(m_store, m_dialogs, m_window);
    m_dialogs.execDialog(dialog);
}

void PresetsMenu::say(const std::string& text)
{
    m_dialogs.showMessage(m_window, messageText(text), MessageKind::Warning);
}

} // namespace brindle
