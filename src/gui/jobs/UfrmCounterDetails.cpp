#include "jobs/UfrmCounterDetails.h"

#include "jobs/UJobDialogUtil.h"
#include "ui_UfrmCounterDetails.h"

namespace brindle
{

TfrmCounterDetails::TfrmCounterDetails(QWidget* parent)
    : TPositionDetails(parent)
    , ui(std::make_unique<Ui::TfrmCounterDetails>())
{
    ui->setupUi(this);
    initPosition({ui->rbBegin, ui->rbEnd, ui->rbAfterChar, ui->rbBeforeString, ui->rbAfterString,
                     ui->rbBeforeExt, ui->edtCharacterNumber, ui->edtBefore, ui->edtAfter},
        ui->btnOk, ui->btnCancel);
}

TfrmCounterDetails::~TfrmCounterDetails() = default;

void TfrmCounterDetails::LoadJob(const TJob& job)
{
    if (job.JobType != jobCounter)
        return;
    ui->edtCharacterCount->setValue(job.Int1);
    loadPosition(job.Modifier, job.Int2, job.Str1);
}

void TfrmCounterDetails::StoreJob(TJob& job) const
{
    job.Int1 = SpinValue(ui->edtCharacterCount);
    storePosition(job.Modifier, job.Int2, job.Str1);
}

} // namespace brindle
