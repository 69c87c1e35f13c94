#include "widget_host/widget_host.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "widget_host/host_protocol.hpp"

namespace vantric {

namespace {

// A plug-in that has not answered in this time has lost the request; it is asked again.
constexpr std::chrono::seconds overdue{60};

}  // namespace

WidgetHost::WidgetHost(WidgetBundle& bundle, DisplayBackend& display, TimelineScheduler::Clock now)
    : bundle_(bundle),
      display_(display),
      descriptions_(bundle.widgets()),
      scheduler_(std::move(now)),
      server_([this](const QString& line) { return handle(line); }),
      gate_(std::make_shared<CompletionGate>(this)) {
    wakeTimer_.setSingleShot(true);
    connect(&wakeTimer_, &QTimer::timeout, this, &WidgetHost::wake);
}

WidgetHost::~WidgetHost() {
    gate_->close();
}

bool WidgetHost::start(const std::optional<QString>& socketPath) {
    readPlacements();
    return !socketPath || server_.listen(*socketPath);
}

std::optional<QByteArray> WidgetHost::handle(const QString& line) {
    const auto asked = parseHostRequest(line);
    if (!asked) {
        return std::nullopt;
    }
    switch (*asked) {
    case HostRequest::reload: {
        std::vector<int> all;
        for (const Placed& placed : placed_) {
            all.push_back(placed.id);
        }
        request(all);
        return QByteArray(okReply);
    }
    case HostRequest::configurations: {
        std::vector<std::string> identifiers;
        for (const Placed& placed : placed_) {
            identifiers.push_back(kindIdentifier(placed.placement.kind));
        }
        return configurationsReply(identifiers);
    }
    case HostRequest::placements: readPlacements(); return QByteArray(okReply);
    }
    return std::nullopt;
}

void WidgetHost::readPlacements() {
    // A widget whose kind and spot are unchanged keeps its window and its timeline; the rest
    // are made anew, and whatever is left over has been removed.
    std::vector<Placed> previous = std::move(placed_);
    placed_.clear();
    std::vector<int> fresh;
    for (const Placement& placement : loadPlacements()) {
        const auto same = std::find_if(previous.begin(), previous.end(), [&](const Placed& p) {
            return p.window != nullptr && p.placement == placement;
        });
        if (same != previous.end()) {
            placed_.push_back(std::move(*same));
            continue;
        }
        const int id = nextId_++;
        std::unique_ptr<WidgetSurface> window = makeWindow(id, placement);
        if (window == nullptr) {
            continue;
        }
        placed_.push_back({.id = id, .placement = placement, .window = std::move(window)});
        fresh.push_back(id);
    }
    for (const Placed& gone : previous) {
        if (gone.window != nullptr) {
            scheduler_.forget(gone.id);
            awaited_.erase(gone.id);
        }
    }
    request(fresh);
}

std::unique_ptr<WidgetSurface> WidgetHost::makeWindow(int id, const Placement& placement) {
    const auto description =
        std::find_if(descriptions_.begin(), descriptions_.end(),
                     [&](const WidgetDescription& d) { return d.kind == placement.kind; });
    // A kind the plug-in does not offer cannot be drawn; it is left out.
    if (description == descriptions_.end()) {
        return nullptr;
    }
    auto window = display_.show(*description, bundle_.placeholder(placement.kind), placement);
    connect(window.get(), &WidgetSurface::moved, this,
            [this, id](const Placement& moved) { move(id, moved); });
    connect(window.get(), &WidgetSurface::clicked, this,
            [this, url = description->url] { display_.open(url); });
    connect(window.get(), &WidgetSurface::removeRequested, this, [this, id] { remove(id); });
    return window;
}

WidgetHost::Placed* WidgetHost::find(int id) {
    const auto found =
        std::find_if(placed_.begin(), placed_.end(), [id](const Placed& p) { return p.id == id; });
    return found == placed_.end() ? nullptr : &*found;
}

void WidgetHost::request(const std::vector<int>& ids) {
    const auto now = std::chrono::steady_clock::now();
    // Issued back to back, so that the plug-in serves them with one measurement.
    for (const int id : ids) {
        const Placed* const placed = find(id);
        const auto asked = awaited_.find(id);
        if (placed == nullptr || (asked != awaited_.end() && now - asked->second < overdue)) {
            continue;
        }
        awaited_.insert_or_assign(id, now);
        scheduler_.forget(id);
        bundle_.timeline(placed->placement.kind, [this, gate = gate_, id](Timeline timeline) {
            gate->post([this, id, timeline = std::move(timeline)] { apply(id, timeline); });
        });
    }
    rearm();
}

void WidgetHost::apply(int id, const Timeline& timeline) {
    awaited_.erase(id);
    Placed* const placed = find(id);
    // Removed while its timeline was on the way.
    if (placed == nullptr) {
        return;
    }
    placed->window->showTimeline(timeline.entries);
    scheduler_.schedule(id, timeline.reloadAfter);
    rearm();
}

void WidgetHost::wake() {
    request(scheduler_.takeDue());
}

void WidgetHost::rearm() {
    const auto seconds = scheduler_.secondsUntilNext();
    if (!seconds) {
        wakeTimer_.stop();
        return;
    }
    wakeTimer_.start(static_cast<int>(std::ceil(*seconds * 1000)));
}

void WidgetHost::move(int id, const Placement& placement) {
    if (Placed* const placed = find(id)) {
        placed->placement = placement;
        save();
    }
}

void WidgetHost::remove(int id) {
    const auto found =
        std::find_if(placed_.begin(), placed_.end(), [id](const Placed& p) { return p.id == id; });
    if (found == placed_.end()) {
        return;
    }
    // Asked for from the window's own menu, which is still on the stack.
    found->window.release()->deleteLater();
    placed_.erase(found);
    scheduler_.forget(id);
    awaited_.erase(id);
    rearm();
    save();
}

void WidgetHost::save() const {
    std::vector<Placement> placements;
    for (const Placed& placed : placed_) {
        placements.push_back(placed.placement);
    }
    // The host has no one to tell: a place that could not be saved is saved with the next move.
    static_cast<void>(savePlacements(placements));
}

}  // namespace vantric
