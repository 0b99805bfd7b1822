#pragma once

#include <cstdint>
#include <string>

#include "core/settings/SettingsStore.h"

class QWidget;

namespace brindle
{

/// A top-level window's placement as the settings store keeps it: the normal rectangle and
/// the state (0 normal, 1 minimised, 2 maximised), under the window's form name.
class WindowPlacement final : public IPlacedForm
{
public:
    WindowPlacement(QWidget* window, std::string formName);

    std::string formName() const override;
    bool getPlacement(FormPlacement& placement) const override;
    void setLeft(std::int32_t left) override;
    void setTop(std::int32_t top) override;
    void setWidth(std::int32_t width) override;
    void setHeight(std::int32_t height) override;
    void setWindowState(std::int32_t state) override;

private:
    /// Moves and sizes the window as asked (m_wanted), brought onto the available area of its
    /// screen.
    void place();

    QWidget* m_window;
    std::string m_formName;
    /// The placement as the settings ask for it, kept whole: each value comes on its own, and
    /// one brought onto the screen must not change how the next one is brought.
    struct {
        std::int64_t left;
        std::int64_t top;
        std::int64_t width;
        std::int64_t height;
    } m_wanted;
};

} // namespace brindle
