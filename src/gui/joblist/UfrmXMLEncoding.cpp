#include "joblist/UfrmXMLEncoding.h"

#include "joblist/UEncodingList.h"
#include "joblist/zmXMLUtil.h"
#include "ui_UfrmXMLEncoding.h"

namespace brindle
{

TfrmPreferences::TfrmPreferences(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TfrmPreferences>())
{
    ui->setupUi(this);
    for (std::string_view item : kXmlEncodingItems)
        ui->cbXMLEncoding->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
    ui->cbXMLEncoding->setCurrentIndex(-1);
    connect(ui->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(sizeHint().expandedTo(QSize(308, 81)));
}

TfrmPreferences::~TfrmPreferences() = default;

void TfrmPreferences::SelectEncoding(std::string_view name)
{
    const int index = EncodingItemIndex(name);
    ui->cbXMLEncoding->setCurrentIndex(index);
    if (index < 0)
        ui->cbXMLEncoding->setEditText(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

void TfrmPreferences::accept()
{
    if (CheckEncoding && !CheckEncoding(EncodingName()))
        return;
    QDialog::accept();
}

std::string TfrmPreferences::EncodingName() const
{
    return FirstWord(ui->cbXMLEncoding->currentText().toUtf8().toStdString());
}

} // namespace brindle
