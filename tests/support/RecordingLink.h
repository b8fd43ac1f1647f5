#pragma once
// Test doubles for the ECU link.
//
// RecordingLink: an EcuLink that records every call with its arguments, in
// order, and answers as the test sets it up: refuse one ECU number, refuse
// everything, or refuse the Nth parameter call (ReadParam, WriteParam and
// WriteParamItem count, 1-based); ReadParam fills configurable values.
// RecordingScreen: a LinkScreen that records every message it receives.
//
// Header-only so any test binary can use them; single-threaded.

#include "EcuLink.h"

#include <algorithm>
#include <iterator>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace lumex::test {

enum class LinkOp {
    SetOptionA, SetOptionB, SetScreen, OpenPort, Connect, Disconnect, IsConnected,
    GetPort, ReadIdent, ReadParam, WriteParam, WriteParamItem, ReadLive, TestGauge,
};

inline const char* LinkOpName(LinkOp op)
{
    switch (op) {
    case LinkOp::SetOptionA: return "SetOptionA";
    case LinkOp::SetOptionB: return "SetOptionB";
    case LinkOp::SetScreen: return "SetScreen";
    case LinkOp::OpenPort: return "OpenPort";
    case LinkOp::Connect: return "Connect";
    case LinkOp::Disconnect: return "Disconnect";
    case LinkOp::IsConnected: return "IsConnected";
    case LinkOp::GetPort: return "GetPort";
    case LinkOp::ReadIdent: return "ReadIdent";
    case LinkOp::ReadParam: return "ReadParam";
    case LinkOp::WriteParam: return "WriteParam";
    case LinkOp::WriteParamItem: return "WriteParamItem";
    case LinkOp::ReadLive: return "ReadLive";
    case LinkOp::TestGauge: return "TestGauge";
    }
    return "?";
}

// One call. Unused arguments stay 0 (element is -1 where there is none), so
// calls compare with == against an expected list.
struct LinkCall {
    LinkOp op{};
    std::uint32_t code = 0;   // ReadParam/WriteParam/WriteParamItem code, ReadLive page
    int element = -1;         // WriteParamItem element
    std::int32_t value = 0;   // written value, SetOption/TestGauge argument

    static LinkCall Read(std::uint32_t code) { return {LinkOp::ReadParam, code, -1, 0}; }
    static LinkCall Write(std::uint32_t code, std::int32_t value)
    {
        return {LinkOp::WriteParam, code, -1, value};
    }
    static LinkCall WriteItem(std::uint32_t code, int element, std::int32_t value)
    {
        return {LinkOp::WriteParamItem, code, element, value};
    }

    bool IsParamCall() const
    {
        return op == LinkOp::ReadParam || op == LinkOp::WriteParam || op == LinkOp::WriteParamItem;
    }
    bool IsWrite() const { return op == LinkOp::WriteParam || op == LinkOp::WriteParamItem; }
    bool operator==(const LinkCall&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const LinkCall& call)
{
    out << LinkOpName(call.op) << "(" << call.code;
    if (call.element >= 0) out << ", " << call.element;
    if (call.op == LinkOp::WriteParam || call.op == LinkOp::WriteParamItem) out << ", " << call.value;
    return out << ")";
}

// gtest prints values through PrintTo when it finds one.
inline void PrintTo(const LinkCall& call, std::ostream* out) { *out << call; }

class RecordingLink : public EcuLink {
public:
    // --- Set-up ---
    void SetConnected(bool connected) { m_connected = connected; }
    // ReadIdent fills these bytes and returns ok.
    void SetIdent(EcuIdentBytes ident, bool ok = true) { m_ident = ident; m_identOk = ok; }
    // Calls addressing this ECU number (either code form) are refused.
    void RefuseEcuNumber(unsigned ecuNumber) { m_refusedNumbers.insert(ecuNumber); }
    void RefuseEverything(bool refuse = true) { m_refuseAll = refuse; }
    // The Nth parameter call since construction (1-based, counting ReadParam,
    // WriteParam and WriteParamItem) is refused.
    void RefuseParamCall(int n) { m_refusedCalls.insert(n); }
    // ReadParam of this ECU number fills these words (as many as the code
    // asks for: its element count for a multi-value code, else one). Numbers
    // without values leave the words untouched.
    void SetReadValues(unsigned ecuNumber, std::vector<std::int32_t> words)
    {
        m_readValues[ecuNumber] = std::move(words);
    }
    // ReadLive of this page fills these bytes.
    void SetLivePage(int page, std::vector<std::uint8_t> bytes) { m_livePages[page] = std::move(bytes); }

    // --- Observation ---
    const std::vector<LinkCall>& Calls() const { return m_calls; }
    std::vector<LinkCall> ParamCalls() const { return Filter([](const LinkCall& c) { return c.IsParamCall(); }); }
    std::vector<LinkCall> Writes() const { return Filter([](const LinkCall& c) { return c.IsWrite(); }); }
    std::vector<LinkCall> Reads() const
    {
        return Filter([](const LinkCall& c) { return c.op == LinkOp::ReadParam; });
    }
    LinkScreen* Screen() const { return m_screen; }
    // Forgets the log; the count behind RefuseParamCall goes on.
    void ClearCalls() { m_calls.clear(); }

    // --- EcuLink ---
    void SetOptionA(int value) override { Record({LinkOp::SetOptionA, 0, -1, value}); }
    void SetOptionB(int value) override { Record({LinkOp::SetOptionB, 0, -1, value}); }
    void SetScreen(LinkScreen* screen) override
    {
        m_screen = screen;
        Record({LinkOp::SetScreen});
    }
    bool OpenPort() override { Record({LinkOp::OpenPort}); return !m_refuseAll; }
    int Connect() override
    {
        Record({LinkOp::Connect});
        if (!m_refuseAll) m_connected = true;
        return m_refuseAll ? 0 : 1;
    }
    void Disconnect() override { Record({LinkOp::Disconnect}); m_connected = false; }
    int IsConnected() override { Record({LinkOp::IsConnected}); return m_connected ? 1 : 0; }
    int GetPort() override { Record({LinkOp::GetPort}); return 0; }
    bool ReadIdent(std::uint8_t* ident) override
    {
        Record({LinkOp::ReadIdent});
        if (m_refuseAll || !m_identOk) return false;
        ident[0] = m_ident.family;
        ident[1] = m_ident.model;
        ident[2] = m_ident.options;
        ident[3] = m_ident.firmware;
        return true;
    }
    bool ReadParam(std::uint32_t code, std::int32_t* words) override
    {
        if (!RecordParamCall(LinkCall::Read(code))) return false;
        const auto found = m_readValues.find(CodeEcuNumber(code));
        if (found == m_readValues.end()) return true;
        const std::size_t wanted = CodeIsMulti(code) ? CodeElementCount(code) : 1;
        const std::size_t count = std::min(wanted, found->second.size());
        std::copy_n(found->second.begin(), count, words);
        return true;
    }
    bool WriteParam(std::uint32_t code, std::int32_t value) override
    {
        return RecordParamCall(LinkCall::Write(code, value));
    }
    bool WriteParamItem(std::uint32_t code, int element, std::int32_t value) override
    {
        return RecordParamCall(LinkCall::WriteItem(code, element, value));
    }
    bool ReadLive(int page, std::uint8_t* buffer, int& length) override
    {
        Record({LinkOp::ReadLive, static_cast<std::uint32_t>(page)});
        const auto found = m_livePages.find(page);
        if (m_refuseAll || found == m_livePages.end()) {
            length = 0;
            return false;
        }
        const int count = std::min<int>(length, static_cast<int>(found->second.size()));
        std::copy_n(found->second.begin(), count, buffer);
        length = count;
        return true;
    }
    void TestGauge(int value, int second) override
    {
        Record({LinkOp::TestGauge, static_cast<std::uint32_t>(second), -1, value});
    }

private:
    void Record(const LinkCall& call) { m_calls.push_back(call); }

    // Records a parameter call and says whether it is accepted.
    bool RecordParamCall(const LinkCall& call)
    {
        Record(call);
        ++m_paramCalls;
        return !m_refuseAll && !m_refusedCalls.count(m_paramCalls) &&
               !m_refusedNumbers.count(CodeEcuNumber(call.code));
    }

    template <class Pred>
    std::vector<LinkCall> Filter(Pred pred) const
    {
        std::vector<LinkCall> out;
        std::copy_if(m_calls.begin(), m_calls.end(), std::back_inserter(out), pred);
        return out;
    }

    std::vector<LinkCall> m_calls;
    int m_paramCalls = 0;
    bool m_connected = false;
    bool m_refuseAll = false;
    EcuIdentBytes m_ident{7, 0, 1, 0};
    bool m_identOk = true;
    std::set<unsigned> m_refusedNumbers;
    std::set<int> m_refusedCalls;
    std::map<unsigned, std::vector<std::int32_t>> m_readValues;
    std::map<int, std::vector<std::uint8_t>> m_livePages;
    LinkScreen* m_screen = nullptr;
};

struct ScreenMessage {
    unsigned message = 0;
    std::intptr_t wParam = 0;
    std::intptr_t lParam = 0;
    bool operator==(const ScreenMessage&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ScreenMessage& m)
{
    return out << "msg(" << m.message << ", " << m.wParam << ", " << m.lParam << ")";
}
inline void PrintTo(const ScreenMessage& m, std::ostream* out) { *out << m; }

class RecordingScreen : public LinkScreen {
public:
    void SendToActiveWindow(unsigned message, std::intptr_t wParam, std::intptr_t lParam) override
    {
        m_messages.push_back({message, wParam, lParam});
    }
    const std::vector<ScreenMessage>& Messages() const { return m_messages; }
    void Clear() { m_messages.clear(); }

private:
    std::vector<ScreenMessage> m_messages;
};

}  // namespace lumex::test
