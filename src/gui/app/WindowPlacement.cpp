#include "gui/app/WindowPlacement.h"

#include <QWidget>

#include <utility>

namespace brindle
{

WindowPlacement::WindowPlacement(QWidget* window, std::string formName)
    : m_window(window)
    , m_formName(std::move(formName))
{
}

std::string WindowPlacement::formName() const
{
    return m_formName;
}

bool WindowPlacement::getPlacement(FormPlacement& placement) const
{
    const QWidget* w = m_window;
    // The normal rectangle, also while the window is minimised or maximised.
    const bool normal
        = !(w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    const QRect rect
        = normal || !w->normalGeometry().isValid() ? QRect(w->pos(), w->size()) : w->normalGeometry();
    placement.left = rect.x();
    placement.top = rect.y();
    placement.width = rect.width();
    placement.height = rect.height();
    placement.winState = w->isMinimized() ? 1 : w->isMaximized() ? 2 : 0;
    return true;
}

void WindowPlacement::setLeft(std::int32_t left)
{
    m_window->move(left, m_window->y());
}

void WindowPlacement::setTop(std::int32_t top)
{
    m_window->move(m_window->x(), top);
}

void WindowPlacement::setWidth(std::int32_t width)
{
    m_window->resize(width, m_window->height());
}

void WindowPlacement::setHeight(std::int32_t height)
{
    m_window->resize(m_window->width(), height);
}

void WindowPlacement::setWindowState(std::int32_t state)
{
    m_window->setWindowState(state == 1 ? Qt::WindowMinimized
            : state == 2                ? Qt::WindowMaximized
                                        : Qt::WindowNoState);
}

} // namespace brindle
