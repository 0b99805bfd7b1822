#include "app/UfrmAbout.h"

#include <QIcon>
#include <QLayout>
#include <QMouseEvent>
#include <QUrl>

#include <algorithm>

#include "app/UAppInfo.h"
#include "ui_UfrmAbout.h"

namespace brindle
{

TfrmAbout::TfrmAbout(QWidget* owner, std::function<void(const QUrl&)> openUrl)
    : QDialog(owner)
    , ui(std::make_unique<Ui::TfrmAbout>())
    , m_openUrl(std::move(openUrl))
{
    ui->setupUi(this);
    // A dialog border with no title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    const QPixmap icon = QIcon(QStringLiteral(":/icons/brindlewick.svg")).pixmap(32, 32);
    ui->Image1->setPixmap(icon);
    ui->Image2->setPixmap(icon);
    QFont nameFont = ui->lblName->font();
    nameFont.setPointSize(16);
    ui->lblName->setFont(nameFont);
    ui->lblAuthor->setStyleSheet(QStringLiteral("color: navy;"));
    ui->lblNotice->setStyleSheet(QStringLiteral("color: red;"));
    QFont urlFont = ui->lblURL->font();
    urlFont.setBold(true);
    ui->lblURL->setFont(urlFont);
    ui->lblURL->setStyleSheet(QStringLiteral("color: blue;"));
    ui->lblURL->installEventFilter(this);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    FormCreate();
    // 274 by 364, or taller when the desktop's font needs it.
    const int needed
        = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(274) : sizeHint().height();
    setFixedSize(274, std::max(364, needed));
    if (owner) {
        const QPoint centre = owner->frameGeometry().center();
        move(centre.x() - width() / 2, centre.y() - height() / 2);
    }
}

TfrmAbout::~TfrmAbout() = default;

void TfrmAbout::FormCreate()
{
    ui->lblName->setText(QString::fromUtf8(kAppTitle));
    ui->lblAuthor->setText(QString::fromUtf8(kAppAuthor));
    ui->lblNotice->setText(QString::fromUtf8(kAppNotice));
    ui->lblURL->setText(QString::fromUtf8(kHomePage));
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->lblURL && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        lblURLClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAbout::lblURLClick()
{
    // The text shown is the address opened.
    if (m_openUrl)
        m_openUrl(QUrl(ui->lblURL->text()));
}

} // namespace brindle
