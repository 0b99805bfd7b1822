#include "gui/app/ManagePresetsDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/joblist/PresetStore.h"
#include "gui/app/UserDialogs.h"
#include "gui/base/DisplayName.h"
#include "gui/base/NameText.h"

namespace brindle
{

ManagePresetsDialog::ManagePresetsDialog(PresetStore& store, IUserDialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_store(store)
    , m_dialogs(dialogs)
    , m_list(new QListWidget(this))
    , m_rename(new QPushButton(QStringLiteral("&Rename..."), this))
    , m_delete(new QPushButton(QStringLiteral("&Delete"), this))
{
    setWindowTitle(QStringLiteral("Manage Presets"));
    m_list->setObjectName(QStringLiteral("lbPresets"));
    m_rename->setObjectName(QStringLiteral("btnRenamePreset"));
    m_delete->setObjectName(QStringLiteral("btnDeletePreset"));
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_rename);
    buttons->addWidget(m_delete);
    buttons->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addWidget(m_list, 1);
    row->addLayout(buttons);
    auto* box = new QVBoxLayout(this);
    box->addLayout(row, 1);
    box->addWidget(close);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::accept);
    connect(m_rename, &QPushButton::clicked, this, &ManagePresetsDialog::renameSelected);
    connect(m_delete, &QPushButton::clicked, this, &ManagePresetsDialog::deleteSelected);
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        const bool any = !selectedName().empty();
        m_rename->setEnabled(any);
        m_delete->setEnabled(any);
    });
    // Delete removes the selected preset; F2 renames it.
    m_delete->setShortcut(QKeySequence::Delete);
    m_rename->setShortcut(QKeySequence(Qt::Key_F2));
    resize(420, 300);
    reload();
}

void ManagePresetsDialog::reload(const std::string& select)
{
    m_list->clear();
    for (const std::string& name : m_store.names()) {
        auto* item = new QListWidgetItem(nameForDisplay(name), m_list);
        item->setData(Qt::UserRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
        if (name == select)
            m_list->setCurrentItem(item);
    }
    const bool any = !selectedName().empty();
    m_rename->setEnabled(any);
    m_delete->setEnabled(any);
}

std::string ManagePresetsDialog::selectedName() const
{
    const QListWidgetItem* item = m_list->currentItem();
    if (!item || !item->isSelected())
        return {};
    const QByteArray name = item->data(Qt::UserRole).toByteArray();
    return std::string(name.constData(), static_cast<std::size_t>(name.size()));
}

void ManagePresetsDialog::renameSelected()
{
    const std::string from = selectedName();
    if (from.empty())
        return;
    const QString typed = m_dialogs.askText(this, QStringLiteral("Rename Preset"),
        QStringLiteral("New name of the preset:"), nameForDisplay(from));
    if (typed.isEmpty())
        return;
    const std::string to = textToBytes(typed);
    if (const Result<void> renamed = m_store.rename(from, to); !renamed.ok()) {
        m_dialogs.showMessage(this, messageText(renamed.error().message), MessageKind::Warning);
        return;
    }
    reload(to);
}

void ManagePresetsDialog::deleteSelected()
{
    const std::string name = selectedName();
    if (name.empty())
        return;
    if (!m_dialogs.askYesNo(this, QStringLiteral("Delete the preset \"%1\"?").arg(nameForDisplay(name))))
        return;
    if (const Result<void> removed = m_store.remove(name); !removed.ok())
        m_dialogs.showMessage(this, messageText(removed.error().message), MessageKind::Warning);
    reload();
}

} // namespace brindle
