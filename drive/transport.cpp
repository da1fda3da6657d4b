#include "drive/transport.h"

#include "drive/aspi_abi.h"
#include "drive/aspi_library.h"
#include "drive/pass_through_system.h"
#include "drive/spti_emulation.h"

#include <atomic>
#include <mutex>

namespace valmuri {
namespace {

std::uint32_t emulated_support_info()
{
    return SptiEmulation::instance().support_info();
}

std::uint32_t emulated_send(void* request)
{
    return SptiEmulation::instance().send(request);
}

struct TransportState {
    TransportState()
    {
        // Constructed first, so they outlive this state at exit.
        SptiEmulation::instance();
        linux_pass_through_system();
    }

    // At exit the emulation closes its drives. A loaded library is left to
    // the dynamic linker, which runs its finalisers at exit: closing it here
    // could pull its code from under a thread of its own that still runs.
    ~TransportState() { SptiEmulation::instance().shutdown(); }

    std::mutex mutex; // layer changes and the layer name
    std::atomic<bool> loaded{false};
    std::string layer_name;
    AspiLibrary library;
    std::atomic<SendASPI32CommandFn> send{nullptr};
    std::atomic<GetASPI32SupportInfoFn> support_info{nullptr};
    bool prefer_spti = false;
    std::atomic<bool> close_handle_after_command{true};
};

TransportState& state()
{
    static TransportState transport;
    return transport;
}

// The caller holds the state's mutex.
void install(TransportState& s, const char* name, GetASPI32SupportInfoFn support_info, SendASPI32CommandFn send)
{
    s.support_info.store(support_info);
    s.send.store(send);
    s.layer_name = name;
    s.loaded.store(true);
}

void uninstall(TransportState& s)
{
    s.loaded.store(false);
    s.send.store(nullptr);
    s.support_info.store(nullptr);
    s.layer_name.clear();
}

bool try_emulation(TransportState& s)
{
    const bool had_emulation = s.layer_name == kEmulationLayerName;
    if (SptiEmulation::instance().enumerate() > 0) {
        if (s.library.handle) {
            uninstall(s);
            free_aspi_library(s.library);
        }
        install(s, kEmulationLayerName, emulated_support_info, emulated_send);
        return true;
    }
    if (had_emulation)
        uninstall(s);
    return false;
}

} // namespace

bool LoadASPI(bool PreferSPTI, const std::string& DllPath)
{
    TransportState& s = state();
    std::lock_guard lock(s.mutex);
    bool enumerated = false;
    if (PreferSPTI) {
        enumerated = true;
        try_emulation(s);
    }
    if (!s.loaded.load()) {
        AspiLibrary library;
        if (load_aspi_library(DllPath, library)) {
            s.library = library;
            install(s, kLibraryLayerName, library.support_info, library.send);
        }
    }
    if (!s.loaded.load() && !enumerated)
        try_emulation(s);
    if (s.loaded.load())
        s.support_info.load()();
    s.prefer_spti = PreferSPTI;
    return s.loaded.load();
}

bool ReloadASPI()
{
    TransportState& s = state();
    bool prefer;
    {
        std::lock_guard lock(s.mutex);
        if (s.layer_name == kEmulationLayerName) {
            uninstall(s);
            SptiEmulation::instance().shutdown();
        } else {
            uninstall(s);
            free_aspi_library(s.library);
        }
        prefer = s.prefer_spti;
    }
    return LoadASPI(prefer, std::string());
}

bool UnloadASPI()
{
    TransportState& s = state();
    std::lock_guard lock(s.mutex);
    if (s.layer_name != kLibraryLayerName)
        return true;
    uninstall(s);
    return free_aspi_library(s.library);
}

void release_aspi_layers()
{
    TransportState& s = state();
    std::lock_guard lock(s.mutex);
    uninstall(s);
    SptiEmulation::instance().shutdown();
    free_aspi_library(s.library);
}

std::uint32_t GetASPI32SupportInfo()
{
    GetASPI32SupportInfoFn support_info = state().support_info.load();
    if (!state().loaded.load() || !support_info)
        return static_cast<std::uint32_t>(SS_NO_ADAPTERS) << 8;
    return support_info();
}

std::uint8_t SendASPI32Command(void* request)
{
    SendASPI32CommandFn send = state().send.load();
    if (!state().loaded.load() || !send)
        return SS_NOT_SENT;
    return static_cast<std::uint8_t>(send(request));
}

bool aspi_loaded()
{
    return state().loaded.load();
}

std::string aspi_layer_name()
{
    TransportState& s = state();
    std::lock_guard lock(s.mutex);
    return s.layer_name;
}

void set_close_handle_after_command(bool close)
{
    state().close_handle_after_command.store(close);
}

bool close_handle_after_command()
{
    return state().close_handle_after_command.load();
}

std::string emulation_device_path(std::uint8_t host_adapter, std::uint8_t target, std::uint8_t lun)
{
    if (aspi_layer_name() != kEmulationLayerName)
        return std::string();
    return SptiEmulation::instance().device_path(host_adapter, target, lun);
}

} // namespace valmuri
