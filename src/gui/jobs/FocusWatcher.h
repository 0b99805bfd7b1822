#pragma once

#include <QObject>

class QWidget;

namespace brindle
{

/// Emits focusIn whenever the watched widget receives the keyboard focus, so that a focus
/// handler can be connected like any other handler.
class FocusWatcher : public QObject
{
    Q_OBJECT
public:
    /// Watches widget; the watcher is a child of it and goes with it.
    explicit FocusWatcher(QWidget* widget);

signals:
    void focusIn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace brindle
