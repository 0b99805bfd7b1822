#pragma once

#include <QWidget>

#include <memory>

#include "jobs/URenameSession.h"

namespace Ui
{
class TfrmProgress;
}

namespace brindle
{

/// The progress window of a run: the folder being processed, a gauge and the counts of folders
/// and files renamed and of errors. It stays on top, has no title-bar buttons and cannot be
/// closed while a run works; at the end its Cancel button gives way to Close.
class TfrmProgress : public QWidget
{
    Q_OBJECT

public:
    /// A top-level window that belongs to owner (destroyed with it, centred on it when shown).
    explicit TfrmProgress(QWidget* owner);
    ~TfrmProgress() override;

    /// The start of a run: Close hidden, Cancel shown, the window shown.
    void BeginRun();
    /// The folder being processed.
    void ShowCurrentItem(const QString& folder);
    /// The counts ("R of E") and the gauge (nearest integer of 100 x RunProgress).
    void UpdateProgress(const TRunStats& stats);
    /// The end of a run: Close shown where Cancel was.
    void EndRun();
    /// Whether a run is going on (between BeginRun and EndRun).
    bool Running() const { return m_running; }

signals:
    /// The user pressed Cancel.
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void btnCancelClick();
    void btnCloseClick();

private:
    std::unique_ptr<Ui::TfrmProgress> ui;
    bool m_running = false;
};

} // namespace brindle
