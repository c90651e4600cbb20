#include "private/WaylandGraphics.h"

#include <QByteArray>
#include <QtGlobal>

#include <wayland-client.h>

#include <cstdint>
#include <cstring>

namespace levyc {

namespace {

void Announced(void *data, wl_registry * /*registry*/, std::uint32_t /*name*/, const char *interface,
               std::uint32_t /*version*/)
{
    if (std::strcmp(interface, "zxdg_decoration_manager_v1") == 0) {
        *static_cast<bool *>(data) = true;
    }
}

void Withdrawn(void * /*data*/, wl_registry * /*registry*/, std::uint32_t /*name*/) {}

constexpr wl_registry_listener Listener = {Announced, Withdrawn};

// Whether the compositor, if there is one, offers to decorate windows. Qt asks
// it to whenever it can, so then Qt's own decorations are never drawn. A socket
// handed down in WAYLAND_SOCKET serves one connection only, Qt's; without a
// named display nothing is asked, which also keeps the client library from
// complaining about a missing runtime directory.
bool CompositorDecorates()
{
    const QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (qEnvironmentVariableIsSet("WAYLAND_SOCKET") || name.isEmpty() ||
        (!name.startsWith('/') && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))) {
        return false;
    }
    wl_display *display = wl_display_connect(nullptr);
    if (display == nullptr) {
        return false;
    }
    bool decorates = false;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &Listener, &decorates);
    if (wl_display_roundtrip(display) < 0) {
        decorates = false;
    }
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return decorates;
}

} // namespace

void SkipGraphicsIntegrationOnWayland()
{
    if (qEnvironmentVariableIsSet("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION") ||
        qEnvironmentVariableIsSet("QT_WAYLAND_DISABLE_WINDOWDECORATION")) {
        return;
    }
    if (CompositorDecorates()) {
        qputenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", QByteArrayLiteral("1"));
    }
}

} // namespace levyc
