#include "jobs/UfrmCaseDetails.h"

#include "jobs/UJobDialogUtil.h"
#include "ui_UfrmCaseDetails.h"

namespace brindle
{

TfrmCaseDetails::TfrmCaseDetails(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TfrmCaseDetails>())
{
    ui->setupUi(this);
    connect(ui->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    SetFixedDialogFrame(this);
}

TfrmCaseDetails::~TfrmCaseDetails() = default;

void TfrmCaseDetails::LoadJob(const TJob& job)
{
    switch (job.JobType) {
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
    switch (job.Modifier) {
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
    ui->chkAllLetters->setChecked(job.Int1 == 1);
}

void TfrmCaseDetails::StoreJob(TJob& job) const
{
    if (ui->rbAll->isChecked())
        job.Modifier = 0;
    else if (ui->rbFilename->isChecked())
        job.Modifier = 1;
    else if (ui->rbExtension->isChecked())
        job.Modifier = 2;
    job.Int1 = ui->chkAllLetters->isChecked() ? 1 : 0;
}

} // namespace brindle
