#pragma once

#include <QDialog>

#include <string>

class QListWidget;
class QPushButton;

namespace brindle
{

class IUserDialogs;
class PresetStore;

/// Lists the presets of a store with a button to rename the selected one (asking the new name)
/// and one to delete it (asking first). Every question and message goes through the window's
/// dialogs.
class ManagePresetsDialog : public QDialog
{
    Q_OBJECT

public:
    ManagePresetsDialog(PresetStore& store, IUserDialogs& dialogs, QWidget* parent = nullptr);

    /// Lists the presets again, keeping the one named selected when it is there.
    void reload(const std::string& select = {});

private:
    void renameSelected();
    void deleteSelected();
    /// The selected preset's name; empty when none is selected.
    std::string selectedName() const;

    PresetStore& m_store;
    IUserDialogs& m_dialogs;
    QListWidget* m_list;
    QPushButton* m_rename;
    QPushButton* m_delete;
};

} // namespace brindle
