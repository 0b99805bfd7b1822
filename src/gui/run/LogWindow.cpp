#include "gui/run/LogWindow.h"

#include <QFont>

#include "ui_LogWindow.h"

namespace brindle
{

LogWindow::LogWindow(QWidget* owner)
    : QDialog(owner)
    , ui(std::make_unique<Ui::LogWindow>())
{
    ui->setupUi(this);
    // Resizable, with the system menu and a maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setModal(false);
    // Courier New, or the desktop's fixed-pitch font that stands in for it.
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    ui->memLog->setFont(font);
    connect(ui->btnClearLog, &QPushButton::clicked, this, &LogWindow::btnClearLogClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &LogWindow::btnOKClick);
}

LogWindow::~LogWindow() = default;

void LogWindow::appendLines(const QString& lines)
{
    // One paragraph per line; the view follows the end of the text.
    ui->memLog->appendPlainText(lines);
}

QString LogWindow::text() const
{
    return ui->memLog->toPlainText();
}

void LogWindow::showLog()
{
    if (!isVisible())
        show();
    raise();
    activateWindow();
}

void LogWindow::btnClearLogClick()
{
    ui->memLog->clear();
}

void LogWindow::btnOKClick()
{
    // The text stays for the next showing.
    hide();
}

} // namespace brindle
