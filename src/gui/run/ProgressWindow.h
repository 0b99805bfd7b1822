#pragma once

#include <QWidget>

#include <memory>

#include "core/jobs/RenameSession.h"

namespace Ui
{
class ProgressWindow;
}

namespace brindle
{

/// The progress window of a run: the folder being processed, a gauge and the counts of folders
/// and files renamed and of errors. It stays on top, has no title-bar buttons and cannot be
/// closed while a run works; at the end its Cancel button gives way to Close.
class ProgressWindow : public QWidget
{
    Q_OBJECT

public:
    /// A top-level window that belongs to owner (destroyed with it, centred on it when shown).
    explicit ProgressWindow(QWidget* owner);
    ~ProgressWindow() override;

    /// The start of a run: Close hidden, Cancel shown, the window shown.
    void beginRun();
    /// The folder being processed.
    void showCurrentItem(const QString& folder);
    /// The counts ("R of E") and the gauge (nearest integer of 100 x runProgress).
    void updateProgress(const RunStats& stats);
    /// The end of a run: Close shown where Cancel was.
    void endRun();
    /// Whether a run is going on (between beginRun and endRun).
    bool running() const { return m_running; }

signals:
    /// The user pressed Cancel.
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void btnCancelClick();
    void btnCloseClick();

private:
    std::unique_ptr<Ui::ProgressWindow> ui;
    bool m_running = false;
};

} // namespace brindle
