#include "VirtualEcu.h"

#include "Catalogue.h"
#include "EngineModel.h"

#include <algorithm>
#include <cstring>

namespace lumex {
namespace {

constexpr unsigned kTristateTime = 7;
constexpr unsigned kDefaultPosition = 40;
constexpr unsigned kDiagnosticsEnable = 52;
constexpr unsigned kDiagnosticsErrors = 53;
constexpr unsigned kCustomerCode = 64;
constexpr std::int32_t kTristateMax = 65500;
constexpr std::int32_t kCustomerCodeMax = 999;

}  // namespace

VirtualEcu::VirtualEcu(std::uint32_t seed, Clock clock)
    : m_clock(std::move(clock)), m_engine(std::make_unique<EngineModel>(seed, m_clock))
{
    BuildCells();
    SyncEngine();
}

VirtualEcu::~VirtualEcu() = default;

// One cell per ECU parameter number that the catalogue gives storage. Indices
// 54 and 57 share the ECU's parameter 54: the first one met (54, the fuel
// overlap time) gives the cell its factory default.
void VirtualEcu::BuildCells()
{
    for (ParamIndex index = 0; index < kParamCount; ++index) {
        const auto entry = CatalogueEntry(index);
        if (!entry || entry->storage < 0) continue;
        const unsigned number = CodeEcuNumber(entry->descriptor);
        auto& slot = m_cells[number];
        if (slot) continue;
        slot = std::make_unique<Cell>();
        slot->elements = std::clamp(entry->elements, 1, kMaxElements);
        slot->max = number == kTristateTime ? kTristateMax : 255;
        slot->defaults = entry->defaults;
        slot->words = entry->defaults;
    }
    auto customer = std::make_unique<Cell>();
    customer->max = kCustomerCodeMax;
    customer->writeOnly = true;
    m_cells[kCustomerCode] = std::move(customer);
}

VirtualEcu::Cell* VirtualEcu::CellFor(std::uint32_t code)
{
    return m_cells[CodeEcuNumber(code)].get();
}

const VirtualEcu::Cell* VirtualEcu::CellFor(std::uint32_t code) const
{
    return m_cells[CodeEcuNumber(code)].get();
}

bool VirtualEcu::Reachable() const { return m_connected && !m_refuseAll; }

// ---- EcuLink ----

void VirtualEcu::SetOptionA(int) {}
void VirtualEcu::SetOptionB(int) {}
void VirtualEcu::SetScreen(LinkScreen* screen) { m_screen = screen; }

bool VirtualEcu::OpenPort()
{
    m_portOpen = m_portAvailable;
    return m_portOpen;
}

int VirtualEcu::Connect()
{
    if (!m_connectable || !m_portOpen) return 0;
    m_connected = true;
    Notify(true);
    return 1;
}

// Asked for by the user: the program knows, so no message follows.
void VirtualEcu::Disconnect()
{
    m_connected = false;
    m_portOpen = false;
}

int VirtualEcu::IsConnected() { return m_connected ? 1 : 0; }

int VirtualEcu::GetPort() { return 0; }

bool VirtualEcu::ReadIdent(std::uint8_t* ident)
{
    if (!Reachable() || ident == nullptr) return false;
    ident[0] = m_ident.family;
    ident[1] = m_ident.model;
    ident[2] = m_ident.options;
    ident[3] = m_ident.firmware;
    return true;
}

bool VirtualEcu::ReadParam(std::uint32_t code, std::int32_t* words)
{
    const Cell* cell = CellFor(code);
    if (!Reachable() || words == nullptr || cell == nullptr || cell->writeOnly) return false;
    const unsigned number = CodeEcuNumber(code);
    if (number == kDiagnosticsErrors || number == kDefaultPosition) m_engine->Update();
    const int count = CodeIsMulti(code)
        ? std::min(static_cast<int>(CodeElementCount(code)), cell->elements)
        : 1;
    for (int e = 0; e < count; ++e) words[e] = CellWord(number, e);
    return true;
}

bool VirtualEcu::WriteParam(std::uint32_t code, std::int32_t value)
{
    return WriteElement(code, 0, value);
}

bool VirtualEcu::WriteParamItem(std::uint32_t code, int element, std::int32_t value)
{
    if (code == 0 && element == 0 && value == 0) {
        if (!Reachable()) return false;
        EraseMemory();
        return true;
    }
    return WriteElement(code, element, value);
}

bool VirtualEcu::WriteElement(std::uint32_t code, int element, std::int32_t value)
{
    const unsigned number = CodeEcuNumber(code);
    const Cell* cell = CellFor(code);
    if (!Reachable() || cell == nullptr || m_refused.count(number) != 0) return false;
    if (element < 0 || element >= cell->elements) return false;
    if (value < 0 || value > cell->max) return false;
    Store(number, element, value);
    return true;
}

bool VirtualEcu::ReadLive(int page, std::uint8_t* buffer, int& length)
{
    if (!Reachable() || buffer == nullptr || (page != 0 && page != 1) || length < 6) return false;
    // A short buffer gets what fits; the used bytes fit in six.
    std::array<std::uint8_t, kLivePageLength> bytes{};
    if (page == 0)
        m_engine->FillPage0(bytes.data());
    else
        m_engine->FillPage1(bytes.data());
    length = std::min(length, kLivePageLength);
    std::memcpy(buffer, bytes.data(), static_cast<std::size_t>(length));
    return true;
}

void VirtualEcu::TestGauge(int value, int)
{
    if (!m_connected) return;
    m_lastGauge = value;
    ++m_gaugeTests;
}

// ---- set-up and observation ----

void VirtualEcu::SetIdent(EcuIdentBytes ident) { m_ident = ident; }
EcuIdentBytes VirtualEcu::Ident() const { return m_ident; }
void VirtualEcu::SetPortAvailable(bool available) { m_portAvailable = available; }
void VirtualEcu::SetConnectable(bool connectable) { m_connectable = connectable; }

void VirtualEcu::Unplug()
{
    if (!m_connected) return;
    m_connected = false;
    m_portOpen = false;
    Notify(false);
}

void VirtualEcu::SetConnectedWithoutNotice(bool connected)
{
    m_connected = connected;
    m_portOpen = connected;
}

void VirtualEcu::RefuseParam(unsigned ecuNumber) { m_refused.insert(ecuNumber & 0xFFu); }
void VirtualEcu::AcceptParam(unsigned ecuNumber) { m_refused.erase(ecuNumber & 0xFFu); }
void VirtualEcu::RefuseEverything(bool refuse) { m_refuseAll = refuse; }

bool VirtualEcu::HasParam(unsigned ecuNumber) const
{
    return ecuNumber < m_cells.size() && m_cells[ecuNumber] != nullptr;
}

int VirtualEcu::ElementCount(unsigned ecuNumber) const
{
    return HasParam(ecuNumber) ? m_cells[ecuNumber]->elements : 0;
}

std::int32_t VirtualEcu::Memory(unsigned ecuNumber, int element) const
{
    if (element < 0 || element >= ElementCount(ecuNumber)) return 0;
    return CellWord(ecuNumber, element);
}

void VirtualEcu::SetMemory(unsigned ecuNumber, int element, std::int32_t value)
{
    if (element < 0 || element >= ElementCount(ecuNumber)) return;
    Store(ecuNumber, element, value);
}

void VirtualEcu::EraseMemory()
{
    for (auto& cell : m_cells)
        if (cell) cell->words = cell->defaults;
    m_engine->SetFaults(0);
    m_engine->ResetAdaptation();
    SyncEngine();
}

int VirtualEcu::LastGaugeValue() const { return m_lastGauge; }
int VirtualEcu::GaugeTestCount() const { return m_gaugeTests; }

EngineModel& VirtualEcu::Engine() { return *m_engine; }

// ---- internals ----

// The fault bits live in the engine model, and the default position reads
// back as the unit has adapted it; every other cell is plain memory.
std::int32_t VirtualEcu::CellWord(unsigned ecuNumber, int element) const
{
    if (ecuNumber == kDiagnosticsErrors) return m_engine->FaultsNow();
    if (ecuNumber == kDefaultPosition) return m_engine->AdaptedDefaultNow();
    return m_cells[ecuNumber]->words[static_cast<std::size_t>(element)];
}

void VirtualEcu::Store(unsigned ecuNumber, int element, std::int32_t value)
{
    m_cells[ecuNumber]->words[static_cast<std::size_t>(element)] = value;
    if (ecuNumber == kDiagnosticsErrors) m_engine->SetFaults(value);
    if (ecuNumber == kDefaultPosition) m_engine->ResetAdaptation();
    SyncEngine();
}

void VirtualEcu::Notify(bool connected)
{
    if (m_screen) m_screen->SendToActiveWindow(WM_LINK_STATE, 0, connected ? 1 : 0);
}

// Hands the cells the engine obeys to the engine model after every change.
void VirtualEcu::SyncEngine()
{
    const auto word = [this](unsigned number, int element = 0) {
        return static_cast<int>(m_cells[number]->words[static_cast<std::size_t>(element)]);
    };
    EngineSettings s;
    s.lambdaType = word(4);
    s.idleLambdaRef = word(27, 0);
    s.cruiseLambdaRef = word(28);
    s.lambdaRefOffset = word(30);
    s.tpsType = word(3);
    s.tpsThresholds = {word(25, 0), word(25, 1), word(25, 2)};
    s.idleTpsHysteresis = word(24);
    s.actuatorLowerLimit = word(35);
    s.actuatorUpperLimit = word(36);
    s.defaultPosition = word(kDefaultPosition);
    s.idleOpenStepsMax = word(31);
    s.idleCloseStepsMax = word(32);
    s.offIdleOpenStepsMax = word(33);
    s.offIdleCloseStepsMax = word(34);
    s.changeoverRpm = word(56);
    s.changeoverTemp = word(58);
    s.changeoverMode = word(63);
    s.gasStartTemp = word(68);
    s.diagnosticsEnable = word(kDiagnosticsEnable);
    m_engine->Configure(s);
}

}  // namespace lumex
