#include "jobs/UfrmRemoveDetails.h"

#include "jobs/UJobDialogUtil.h"
#include "ui_UfrmRemoveDetails.h"

namespace brindle
{

TfrmRemoveDetails::TfrmRemoveDetails(QWidget* parent)
    : TPositionDetails(parent)
    , ui(std::make_unique<Ui::TfrmRemoveDetails>())
{
    ui->setupUi(this);
    initPosition({ui->rbBegin, ui->rbEnd, ui->rbAfterChar, ui->rbBeforeString, ui->rbAfterString,
                     ui->rbBeforeExt, ui->edtCharacterNumber, ui->edtBefore, ui->edtAfter},
        ui->btnOk, ui->btnCancel);
}

TfrmRemoveDetails::~TfrmRemoveDetails() = default;

void TfrmRemoveDetails::LoadJob(const TJob& job)
{
    if (job.JobType != jobRemove)
        return;
    ui->edtCharacterCount->setValue(job.Int1);
    loadPosition(job.Modifier, job.Int2, job.Str1);
}

void TfrmRemoveDetails::StoreJob(TJob& job) const
{
    job.Int1 = SpinValue(ui->edtCharacterCount);
    storePosition(job.Modifier, job.Int2, job.Str1);
}

} // namespace brindle
