#include "gui/app/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <cstdint>

#include <utility>

namespace brindle
{

WindowPlacement::WindowPlacement(QWidget* window, std::string formName)
    : m_window(window)
    , m_formName(std::move(formName))
    , m_wanted {window->x(), window->y(), window->width(), window->height()}
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
    m_wanted.left = left;
    place();
}

void WindowPlacement::setTop(std::int32_t top)
{
    m_wanted.top = top;
    place();
}

void WindowPlacement::setWidth(std::int32_t width)
{
    m_wanted.width = width;
    place();
}

void WindowPlacement::setHeight(std::int32_t height)
{
    m_wanted.height = height;
    place();
}

void WindowPlacement::place()
{
    std::int64_t left = m_wanted.left;
    std::int64_t top = m_wanted.top;
    std::int64_t width = m_wanted.width;
    std::int64_t height = m_wanted.height;
    // The screen the window's top left corner falls on, else the window's own, else the first.
    const QPoint corner(static_cast<int>(std::clamp<std::int64_t>(left, INT_MIN / 2, INT_MAX / 2)),
        static_cast<int>(std::clamp<std::int64_t>(top, INT_MIN / 2, INT_MAX / 2)));
    const QScreen* screen = QGuiApplication::screenAt(corner);
    if (!screen)
        screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        // No larger than the screen's free area, and all of it on that area: a placement from a
        // settings file that another screen, or another hand, wrote can neither hide the
        // window nor ask for a window larger than any screen.
        const QRect area = screen->availableGeometry();
        if (!area.isEmpty()) {
            // The window cannot be made smaller than its controls need.
            const QSize least = m_window->minimumSize().expandedTo(m_window->minimumSizeHint());
            width = std::clamp<std::int64_t>(width, least.width(), std::max(area.width(), least.width()));
            height
                = std::clamp<std::int64_t>(height, least.height(), std::max(area.height(), least.height()));
            // Its top left corner on the area, and as much of it as fits.
            const std::int64_t lastLeft
                = std::max<std::int64_t>(area.left(), std::int64_t {area.left()} + area.width() - width);
            const std::int64_t lastTop
                = std::max<std::int64_t>(area.top(), std::int64_t {area.top()} + area.height() - height);
            left = std::clamp<std::int64_t>(left, area.left(), lastLeft);
            top = std::clamp<std::int64_t>(top, area.top(), lastTop);
        }
    }
    m_window->resize(static_cast<int>(std::clamp<std::int64_t>(width, 1, QWIDGETSIZE_MAX)),
        static_cast<int>(std::clamp<std::int64_t>(height, 1, QWIDGETSIZE_MAX)));
    m_window->move(static_cast<int>(std::clamp<std::int64_t>(left, INT_MIN / 2, INT_MAX / 2)),
        static_cast<int>(std::clamp<std::int64_t>(top, INT_MIN / 2, INT_MAX / 2)));
}

void WindowPlacement::setWindowState(std::int32_t state)
{
    m_window->setWindowState(state == 1 ? Qt::WindowMinimized
            : state == 2                ? Qt::WindowMaximized
                                        : Qt::WindowNoState);
}

} // namespace brindle
