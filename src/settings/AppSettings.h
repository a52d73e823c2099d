// The one settings record of a process: role, ini paths, the launcher's channel rows, the
// Option values, the serial port and the working blocks of the panels.
//
// A value type: copies are deep. Values that the worker or supervision thread shares with the
// window are RelaxedAtomic, which copies its value like a plain field.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "device/SerialPortSettings.h"
#include "platform/relaxed_atomic.h"
#include "platform/waking_value.h"

using SharedInt = RelaxedAtomic<int32_t>;
using SharedDouble = RelaxedAtomic<double>;
// A value the window sets for its worker: a store wakes the waiting worker at once.
using WindowInt = WakingValue<int32_t>;
using WindowDouble = WakingValue<double>;

enum Role : int32_t { kRoleLauncher = 0, kRoleIo = 1, kRoleDa = 2, kRoleAd = 3 };
enum ChannelMode : int32_t { kModeIo = 1, kModeDa = 2, kModeAd = 3, kModeNone = 4 };

constexpr int kChannelCount = 4;
constexpr int kAdInputs = 8;
constexpr int kIoBits = 8;
// The I/O graph takes a sample at the first refresh at least this long after its last one.
constexpr int kIoSampleIntervalMs = 100;

// I/O panel working data; arrays are indexed by bit 0..7 of the box's bit images.
struct IoBlock {
    int32_t ioCom = 1;
    std::array<WindowInt, kIoBits> ioOut{};        // wanted output state (window)
    std::array<SharedInt, kIoBits> ioSentOut{};    // last sent output state, -1 none (worker)
    std::array<SharedInt, kIoBits> ioIn{};         // input bit as last reported (worker)
    std::array<SharedInt, kIoBits> ioShownIn{};    // input bit as last shown, -1 none (window)
    std::array<WindowInt, kIoBits> ioIntEnable{};  // interrupt check box state (window)
    std::array<SharedInt, kIoBits> ioSentInt{};    // interrupt state last taken (worker)
    // Tick of the graph's last sample (window), so the worker asks for the next one in time.
    RelaxedAtomic<uint32_t> ioLastSample{0};
};

// D/A panel working data.
struct DaBlock {
    int32_t daCom = 1;
    WindowDouble daVolts{0.0};       // set voltage (window)
    SharedDouble daSentVolts{0.0};   // set voltage last taken for a command (worker)
    SharedDouble daShownVolts{0.0};  // set voltage last shown (window)
    WindowInt daRange{1};            // 0: 0 to 10 V, other: -10 to 10 V
    SharedInt daSentRange{0};        // range last taken for a command (worker)
    SharedInt daShownRange{0};       // range last used for the preset captions (window)
};

// A/D panel working data, per input IN0..IN7.
struct AdBlock {
    int32_t adCom = 1;
    std::array<SharedDouble, kAdInputs> adVolts{};  // latest voltage (worker)
    std::array<std::string, kAdInputs> adCurrentText{};
    std::array<double, kAdInputs> adSum{};
    std::array<double, kAdInputs> adAverage{};
    std::array<std::string, kAdInputs> adAverageText{};
    std::array<int32_t, kAdInputs> adSampleCount{};
    std::array<SharedInt, kAdInputs> adRaw{};  // latest raw code 0..4095 (worker)
    std::array<int32_t, kAdInputs> adRawAverage{};
    std::array<int32_t, kAdInputs> adRawSum{};
    SharedInt adRange{1};  // 0: "0～20V" (commands "U"), other: "-10～10V" (commands "B")
};

struct AppSettings {
    int32_t role = kRoleLauncher;
    std::string launcherIni;
    std::string adIni;
    std::string daIni;
    std::string ioIni;
    std::string adGraphIni;
    std::string graphSeedFile;
    std::string exePath;
    std::array<int32_t, kChannelCount> chCom{1, 1, 1, 1};
    std::array<int32_t, kChannelCount> chComShown{};
    std::array<int32_t, kChannelCount> chMode{4, 4, 4, 4};
    std::array<SharedInt, kChannelCount> chRunning{};  // cleared by the supervision thread
    std::array<int32_t, kChannelCount> chRunningShown{};
    int32_t channelIndex = 0;
    int32_t platformCheck = 0;
    // Why the settings went beside the executable although no launcher ini lay there (the
    // per-user folder failed), for the launcher's log; "" otherwise.
    std::string settingsFallback;
    SerialPortSettings port;
    int32_t com = 1;
    int32_t autoCom = 1;
    int32_t autoRun = 0;
    int32_t txOnly = 0;
    std::string deviceName;
    IoBlock ioBlock;
    DaBlock daBlock;
    AdBlock adBlock;
    SharedInt workerPhase{0};
};
