#include "gui/app/UserDialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "core/base/AppInfo.h"
#include "gui/base/NameText.h"
#include "gui/base/PlainText.h"

namespace brindle
{

QString messageText(std::string_view text)
{
    QString shown = bytesToText(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

namespace
{

/// A resizable file dialog with the options given; no read-only box (Qt has none) and, for
/// saving, no overwrite question of its own: the window asks that itself.
QString runFileDialog(QWidget* parent, const FileDialogOptions& options, bool save)
{
    QFileDialog dlg(parent, options.title, options.folder);
    dlg.setNameFilters(options.filters);
    if (!options.filters.isEmpty())
        dlg.selectNameFilter(options.filters.front());
    dlg.setDefaultSuffix(options.defaultSuffix);
    if (save) {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    } else {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::ExistingFile);
    }
    dlg.setSizeGripEnabled(true);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().front();
}

} // namespace

void QtUserDialogs::showMessage(QWidget* parent, const QString& text)
{
    showMessage(parent, text, MessageKind::Information);
}

void QtUserDialogs::showMessage(QWidget* parent, const QString& text, MessageKind kind)
{
    const QMessageBox::Icon icon = kind == MessageKind::Error ? QMessageBox::Critical
        : kind == MessageKind::Warning                        ? QMessageBox::Warning
                                                              : QMessageBox::Information;
    // Names and messages are shown as they are, never read as markup.
    execPlainMessageBox(parent, icon, QString::fromUtf8(kAppTitle), text, QMessageBox::Ok);
}

bool QtUserDialogs::askYesNo(QWidget* parent, const QString& text)
{
    return execPlainMessageBox(parent, QMessageBox::Question, QString::fromUtf8(kAppTitle), text,
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

QString QtUserDialogs::chooseOpenFile(QWidget* parent, const FileDialogOptions& options)
{
    return runFileDialog(parent, options, false);
}

QString QtUserDialogs::chooseSaveFile(QWidget* parent, const FileDialogOptions& options)
{
    return runFileDialog(parent, options, true);
}

int QtUserDialogs::execDialog(QDialog& dialog)
{
    return dialog.exec();
}

QString QtUserDialogs::askText(
    QWidget* parent, const QString& title, const QString& label, const QString& initial)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, label, QLineEdit::Normal, initial, &ok);
    return ok ? text : QString();
}

} // namespace brindle
