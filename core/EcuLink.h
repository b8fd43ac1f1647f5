#pragma once
// The link to the ECU: the one object through which the program talks to the
// control unit. The program only relies on the results described per
// operation; protocol, timing and retries are the implementation's business.
//
// Threading: every operation is called from the user-interface thread.
// Implementations deliver their window messages through the LinkScreen given
// to SetScreen (synchronously when on that thread).

#include <cstdint>

namespace lumex {

// Window message numbers the link (and ConfCar::ReadAll) deliver.
inline constexpr unsigned WM_LINK_STATE = 33168;     // lParam != 0: connected
inline constexpr unsigned WM_LINK_PROGRESS = 33169;  // wParam amount, lParam != 0: add

// The application's screen: delivers a link message to the active window.
// The Qt program implements it; tests record what arrives.
class LinkScreen {
public:
    virtual ~LinkScreen() = default;
    virtual void SendToActiveWindow(unsigned message, std::intptr_t wParam,
                                    std::intptr_t lParam) = 0;
};

// ECU identification bytes as returned by ReadIdent.
struct EcuIdentBytes {
    std::uint8_t family = 0;    // 7 (or 255)
    std::uint8_t model = 0;     // 0, or 2 = reduced model
    std::uint8_t options = 0;   // bit 0: original fuel-gauge output present
    std::uint8_t firmware = 0;
};

inline constexpr int kLivePageLength = 20;
inline constexpr int kUsbPort = 100;

// A code is either a full ParamDescriptor (ECU number in bits 0-7, value 256
// marks a multi-value parameter, bits 12-19 its element count) or the bare
// ECU number; every operation taking a code accepts both forms.
class EcuLink {
public:
    virtual ~EcuLink() = default;

    virtual void SetOptionA(int value) = 0;
    virtual void SetOptionB(int value) = 0;
    virtual void SetScreen(LinkScreen* screen) = 0;

    virtual bool OpenPort() = 0;
    virtual int Connect() = 0;          // non-zero on success
    virtual void Disconnect() = 0;
    virtual int IsConnected() = 0;      // non-zero while connected
    virtual int GetPort() = 0;          // kUsbPort, else serial port number from 0

    // ident must hold 4 bytes: family, model, option bits, firmware version.
    virtual bool ReadIdent(std::uint8_t* ident) = 0;
    // Fills one word, or every element of a multi-value parameter when the
    // code carries the multi-value bit (as many words as its element count).
    virtual bool ReadParam(std::uint32_t code, std::int32_t* words) = 0;
    virtual bool WriteParam(std::uint32_t code, std::int32_t value) = 0;
    // Code 0, element 0, value 0 erases the ECU memory to factory defaults.
    virtual bool WriteParamItem(std::uint32_t code, int element, std::int32_t value) = 0;
    // page 0 or 1; length in: buffer size (20), out: bytes filled.
    virtual bool ReadLive(int page, std::uint8_t* buffer, int& length) = 0;
    // Drives the fuel-gauge output with a raw level 0..255; second is -1.
    virtual void TestGauge(int value, int second) = 0;
};

// The ECU number and the element count a code addresses, whichever form it has.
inline constexpr unsigned CodeEcuNumber(std::uint32_t code) { return code & 0xFFu; }
inline constexpr bool CodeIsMulti(std::uint32_t code) { return (code & 256u) != 0; }
inline constexpr unsigned CodeElementCount(std::uint32_t code) { return (code >> 12) & 0xFFu; }

}  // namespace lumex
