#pragma once
// OfflineLink: an EcuLink with no ECU behind it. It is never connected, reads
// nothing (the caller's words stay as they are, the read reports failure) and
// answers every write with one fixed verdict: refuse everything (what the
// record uses while no link is attached) or accept everything (for editing a
// configuration file without an ECU, where an accepted write is what lets
// the record store the new value).
//
// Stateless apart from its verdict: usable from any one thread at a time.

#include "EcuLink.h"

namespace lumex {

class OfflineLink : public EcuLink {
public:
    enum class Writes { RefuseAll, AcceptAll };

    explicit OfflineLink(Writes writes = Writes::RefuseAll) : m_writes(writes) {}

    void SetOptionA(int) override {}
    void SetOptionB(int) override {}
    void SetScreen(LinkScreen*) override {}
    bool OpenPort() override { return false; }
    int Connect() override { return 0; }
    void Disconnect() override {}
    int IsConnected() override { return 0; }
    int GetPort() override { return 0; }
    bool ReadIdent(std::uint8_t*) override { return false; }
    bool ReadParam(std::uint32_t, std::int32_t*) override { return false; }
    bool WriteParam(std::uint32_t, std::int32_t) override { return Accepts(); }
    bool WriteParamItem(std::uint32_t, int, std::int32_t) override { return Accepts(); }
    bool ReadLive(int page, std::uint8_t* buffer, int& length) override;
    void TestGauge(int, int) override {}

private:
    bool Accepts() const { return m_writes == Writes::AcceptAll; }

    Writes m_writes;
};

}  // namespace lumex
