#include "gui/jobs/CaseJobDialog.h"

#include "gui/jobs/DialogFrame.h"
#include "ui_CaseJobDialog.h"

namespace brindle
{

CaseJobDialog::CaseJobDialog(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::CaseJobDialog>())
{
    ui->setupUi(this);
    connect(ui->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedDialogFrame(this);
}

CaseJobDialog::~CaseJobDialog() = default;

void CaseJobDialog::loadJob(const Job& job)
{
    switch (job.jobType) {
    case jobLower:
        setWindowTitle(QStringLiteral("Conversion to lower case"));
        ui->lblPrompt->setText(QStringLiteral("Convert to lower case..."));
        break;
    case jobUpper:
        setWindowTitle(QStringLiteral("Conversion to UPPER case"));
        ui->lblPrompt->setText(QStringLiteral("Convert to UPPER case..."));
        break;
    case jobNormal:
        setWindowTitle(QStringLiteral("Case Normalisation"));
        ui->lblPrompt->setText(QStringLiteral("Normalise case of..."));
        break;
    default:
        break;
    }
    switch (job.modifier) {
    case 0:
        ui->rbAll->setChecked(true);
        break;
    case 1:
        ui->rbFilename->setChecked(true);
        break;
    case 2:
        ui->rbExtension->setChecked(true);
        break;
    default:
        break;
    }
    ui->chkAllLetters->setChecked(job.int1 == 1);
}

void CaseJobDialog::storeJob(Job& job) const
{
    if (ui->rbAll->isChecked())
        job.modifier = 0;
    else if (ui->rbFilename->isChecked())
        job.modifier = 1;
    else if (ui->rbExtension->isChecked())
        job.modifier = 2;
    job.int1 = ui->chkAllLetters->isChecked() ? 1 : 0;
}

} // namespace brindle
