#pragma once
// VirtualEcu: an in-process ECU that behaves like a real unit. It is the demo
// port of the program, the back end of the ECU simulator and the ECU of most
// tests. Parameter memory is addressed by ECU parameter number; live pages
// come from a small deterministic engine model driven by a clock.
//
// Not thread-safe: one thread at a time (the caller's).

#include "EcuLink.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace lumex {

class EngineModel;

class VirtualEcu : public EcuLink {
public:
    // Milliseconds since some fixed start; the engine model follows it.
    using Clock = std::function<std::int64_t()>;

    explicit VirtualEcu(std::uint32_t seed = 1, Clock clock = {});
    ~VirtualEcu() override;

    // EcuLink
    void SetOptionA(int value) override;
    void SetOptionB(int value) override;
    void SetScreen(LinkScreen* screen) override;
    bool OpenPort() override;
    int Connect() override;
    void Disconnect() override;
    int IsConnected() override;
    int GetPort() override;
    bool ReadIdent(std::uint8_t* ident) override;
    bool ReadParam(std::uint32_t code, std::int32_t* words) override;
    bool WriteParam(std::uint32_t code, std::int32_t value) override;
    bool WriteParamItem(std::uint32_t code, int element, std::int32_t value) override;
    bool ReadLive(int page, std::uint8_t* buffer, int& length) override;
    void TestGauge(int value, int second) override;

    // --- Set-up and observation for tests, the simulator and the demo port ---
    static constexpr int kMaxElements = 6;

    void SetIdent(EcuIdentBytes ident);
    EcuIdentBytes Ident() const;
    void SetPortAvailable(bool available);      // OpenPort fails when false
    void SetConnectable(bool connectable);      // Connect fails when false
    // Simulates a pulled cable: drops the connection (sends WM_LINK_STATE 0).
    void Unplug();
    void SetConnectedWithoutNotice(bool connected);

    void RefuseParam(unsigned ecuNumber);       // writes to it are refused
    void AcceptParam(unsigned ecuNumber);
    void RefuseEverything(bool refuse);         // every read and write fails

    // Parameter memory; false/0 for numbers the unit does not have. As on the
    // unit itself, 53 holds the engine model's diagnostics faults (writing 0
    // clears them), 40 reads back as the adapted default position, and the
    // write-only 64 keeps the last customer code for tests to see.
    bool HasParam(unsigned ecuNumber) const;
    int ElementCount(unsigned ecuNumber) const;
    std::int32_t Memory(unsigned ecuNumber, int element = 0) const;
    void SetMemory(unsigned ecuNumber, int element, std::int32_t value);
    void EraseMemory();                         // factory defaults

    int LastGaugeValue() const;                 // -1 before any TestGauge
    int GaugeTestCount() const;

    // Engine model access (diagnostics faults, seeding a scenario).
    EngineModel& Engine();

private:
    struct Cell {
        int elements = 1;
        std::int32_t max = 255;
        bool writeOnly = false;
        std::array<std::int32_t, kMaxElements> words{};
        std::array<std::int32_t, kMaxElements> defaults{};
    };

    Cell* CellFor(std::uint32_t code);
    const Cell* CellFor(std::uint32_t code) const;
    void BuildCells();
    bool Reachable() const;                     // connected and not refusing
    bool WriteElement(std::uint32_t code, int element, std::int32_t value);
    void Store(unsigned ecuNumber, int element, std::int32_t value);
    std::int32_t CellWord(unsigned ecuNumber, int element) const;
    void Notify(bool connected);
    void SyncEngine();

    std::array<std::unique_ptr<Cell>, 256> m_cells;
    EcuIdentBytes m_ident{7, 0, 1, 32};
    LinkScreen* m_screen = nullptr;
    bool m_portAvailable = true;
    bool m_portOpen = false;
    bool m_connectable = true;
    bool m_connected = false;
    bool m_refuseAll = false;
    std::set<unsigned> m_refused;
    int m_lastGauge = -1;
    int m_gaugeTests = 0;
    Clock m_clock;
    std::unique_ptr<EngineModel> m_engine;
};

}  // namespace lumex
