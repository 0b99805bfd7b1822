#include "gui/jobs/FocusWatcher.h"

#include <QEvent>
#include <QWidget>

namespace brindle
{

FocusWatcher::FocusWatcher(QWidget* widget)
    : QObject(widget)
{
    widget->installEventFilter(this);
}

bool FocusWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        emit focusIn();
    return QObject::eventFilter(watched, event);
}

} // namespace brindle
