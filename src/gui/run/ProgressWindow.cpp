#include "gui/run/ProgressWindow.h"

#include <QCloseEvent>
#include <QShortcut>

#include <algorithm>
#include <cmath>

#include "core/base/AppInfo.h"
#include "gui/base/PlainText.h"
#include "ui_ProgressWindow.h"

namespace brindle
{

namespace
{

QString countText(std::int32_t renamed, std::int32_t total)
{
    return QString::number(renamed) + QStringLiteral(" of ") + QString::number(total);
}

} // namespace

ProgressWindow::ProgressWindow(QWidget* owner)
    : QWidget(owner)
    , ui(std::make_unique<Ui::ProgressWindow>())
{
    ui->setupUi(this);
    setWindowTitle(QString::fromUtf8(kAppTitle) + QStringLiteral(" progress..."));
    // A fixed border and no title-bar buttons: a window of the main window, above it but never
    // above the questions a run asks (they belong to this window while it is shown).
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setAttribute(Qt::WA_DeleteOnClose);
    // The gauge's bar in the palette's highlight, light or dark.
    ui->gauProgress->setStyleSheet(
        QStringLiteral("QProgressBar { border: 1px solid palette(mid); background: palette(base); }"
                       "QProgressBar::chunk { background-color: palette(highlight); }"));
    // 335 by 124, or larger when the desktop's font needs it.
    const QSize hint = sizeHint();
    setFixedSize(std::max(335, hint.width()), std::max(124, hint.height()));
    if (owner) {
        const QPoint centre = owner->frameGeometry().center();
        move(centre.x() - width() / 2, centre.y() - height() / 2);
    }
    connect(ui->btnCancel, &QPushButton::clicked, this, &ProgressWindow::btnCancelClick);
    connect(ui->btnClose, &QPushButton::clicked, this, &ProgressWindow::btnCloseClick);
    // Escape: Cancel while the run works, Close afterwards.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
        if (!m_running)
            close();
        else if (ui->btnCancel->isEnabled())
            btnCancelClick();
    });
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::beginRun()
{
    m_running = true;
    ui->btnClose->hide();
    ui->btnCancel->show();
    ui->btnCancel->setEnabled(true);
    show();
    raise();
}

void ProgressWindow::showCurrentItem(const QString& folder)
{
    setPlainLabel(ui->lblCurrentItem, folder);
    ui->lblCurrentItem->setToolTip(plainToolTip(folder));
}

void ProgressWindow::updateProgress(const RunStats& stats)
{
    // Renamed so far of what the plans of the folders entered so far will rename.
    ui->lblFolders->setText(countText(stats.foldersRenamed, stats.foldersToRename));
    ui->lblFiles->setText(countText(stats.filesRenamed, stats.filesToRename));
    ui->lblErrors->setText(QString::number(stats.errorCount));
    const double percent = std::clamp(std::round(100.0 * stats.runProgress), 0.0, 100.0);
    ui->gauProgress->setValue(static_cast<int>(percent));
}

void ProgressWindow::endRun()
{
    m_running = false;
    ui->btnClose->setGeometry(ui->btnCancel->geometry());
    ui->btnCancel->hide();
    ui->btnClose->show();
    ui->btnClose->setFocus();
}

void ProgressWindow::btnCancelClick()
{
    // Pressed once is enough: the run stops before its next entry.
    ui->btnCancel->setEnabled(false);
    emit cancelRequested();
}

void ProgressWindow::btnCloseClick()
{
    close();
}

void ProgressWindow::closeEvent(QCloseEvent* event)
{
    // The window manager may still offer to close it: not while a run works.
    if (m_running)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

} // namespace brindle
