#include "run/UfrmLog.h"

#include <QFont>

#include "ui_UfrmLog.h"

namespace brindle
{

TfrmLog::TfrmLog(QWidget* owner)
    : QDialog(owner)
    , ui(std::make_unique<Ui::TfrmLog>())
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
    connect(ui->btnClearLog, &QPushButton::clicked, this, &TfrmLog::btnClearLogClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &TfrmLog::btnOKClick);
}

TfrmLog::~TfrmLog() = default;

void TfrmLog::AppendLines(const QString& lines)
{
    // One paragraph per line; the view follows the end of the text.
    ui->memLog->appendPlainText(lines);
}

QString TfrmLog::Text() const
{
    return ui->memLog->toPlainText();
}

void TfrmLog::ShowLog()
{
    if (!isVisible())
        show();
    raise();
    activateWindow();
}

void TfrmLog::btnClearLogClick()
{
    ui->memLog->clear();
}

void TfrmLog::btnOKClick()
{
    // The text stays for the next showing.
    hide();
}

} // namespace brindle
