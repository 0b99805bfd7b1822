#pragma once

#include <QDialog>

#include <memory>

#include "core/jobs/Job.h"

namespace Ui
{
class CaseJobDialog;
}

namespace brindle
{

/// Parameters of a lower, upper or normalised case job: which part of the name it changes, and
/// whether every letter changes case (Int1 1) or only A to Z.
class CaseJobDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CaseJobDialog(QWidget* parent = nullptr);
    ~CaseJobDialog() override;

    /// Sets the caption and the prompt for the job's kind and checks its scope; "Accented and
    /// other letters too" is checked when Int1 is 1.
    void loadJob(const Job& job);
    /// The first checked scope becomes the modifier (with none checked it stays); Int1 becomes 1
    /// with "Accented and other letters too" checked, else 0.
    void storeJob(Job& job) const;

private:
    std::unique_ptr<Ui::CaseJobDialog> ui;
};

} // namespace brindle
