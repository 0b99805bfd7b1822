#pragma once

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
    QWidget* m_window;
    std::string m_formName;
};

} // namespace brindle
