#pragma once
// An EcuLink that forwards every call to another link and counts the writes
// the ECU refused and the parameter reads that failed, so that `write` can
// tell how much of a file did not arrive and `read` that what it got is not
// the whole ECU. Same thread rules as the link it wraps.

#include "EcuLink.h"

namespace lumex::cli {

class CountingLink : public EcuLink {
public:
    explicit CountingLink(EcuLink& inner) : m_inner(inner) {}

    int Writes() const { return m_writes; }
    int Refused() const { return m_refused; }
    int FailedReads() const { return m_failedReads; }

    void SetOptionA(int value) override { m_inner.SetOptionA(value); }
    void SetOptionB(int value) override { m_inner.SetOptionB(value); }
    void SetScreen(LinkScreen* screen) override { m_inner.SetScreen(screen); }
    bool OpenPort() override { return m_inner.OpenPort(); }
    int Connect() override { return m_inner.Connect(); }
    void Disconnect() override { m_inner.Disconnect(); }
    int IsConnected() override { return m_inner.IsConnected(); }
    int GetPort() override { return m_inner.GetPort(); }
    bool ReadIdent(std::uint8_t* ident) override { return m_inner.ReadIdent(ident); }
    bool ReadParam(std::uint32_t code, std::int32_t* words) override
    {
        const bool read = m_inner.ReadParam(code, words);
        if (!read) ++m_failedReads;
        return read;
    }
    bool WriteParam(std::uint32_t code, std::int32_t value) override
    {
        return Count(m_inner.WriteParam(code, value));
    }
    bool WriteParamItem(std::uint32_t code, int element, std::int32_t value) override
    {
        return Count(m_inner.WriteParamItem(code, element, value));
    }
    bool ReadLive(int page, std::uint8_t* buffer, int& length) override
    {
        return m_inner.ReadLive(page, buffer, length);
    }
    void TestGauge(int value, int second) override { m_inner.TestGauge(value, second); }

private:
    bool Count(bool accepted)
    {
        ++m_writes;
        if (!accepted) ++m_refused;
        return accepted;
    }

    EcuLink& m_inner;
    int m_writes = 0;
    int m_refused = 0;
    int m_failedReads = 0;
};

}  // namespace lumex::cli
