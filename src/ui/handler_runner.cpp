#include "ui/handler_runner.h"

#include <optional>

#include "core/tone/tone_output.h"

namespace kelvor::ui {

void HandlerRunner::run(const std::function<void()>& handler) {
    {
        std::optional<tone::ToneOutput::HandlerScope> scope;
        if (tone_ != nullptr) scope.emplace(*tone_);
        handler();
    } // waiting port failure boxes open here, with the state mirrored first
    sync_views();
}

void HandlerRunner::sync_views() {
    for (const auto& sync : views_)
        sync();
}

} // namespace kelvor::ui
