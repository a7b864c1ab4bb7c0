#include "platform/win32/MciMediaDevice.h"

#include "platform/win32/Win32Text.h"
#include "qv/Errors.h"
#include "qv/Files.h"
#include "saver/MidiFile.h"

namespace vis {

namespace {
void Check(MCIERROR code) {
    if (code != 0) throw EMCIDeviceError(MciErrorText(code));
}
} // namespace

std::string MciErrorText(MCIERROR code) {
    wchar_t text[MAXERRORLENGTH] = {};
    if (mciGetErrorStringW(code, text, MAXERRORLENGTH) && text[0] != L'\0') return Narrow(text);
    return "原因不明のｴﾗｰ";
}

MciMediaDevice::~MciMediaDevice() {
    if (device_ != 0) mciSendCommandW(device_, MCI_CLOSE, MCI_WAIT, 0);
}

void MciMediaDevice::Open(const std::string& file) {
    const std::wstring element = Widen(file);
    MCI_OPEN_PARMSW parms{};
    parms.dwCallback = reinterpret_cast<DWORD_PTR>(window_);
    parms.lpstrElementName = element.c_str();
    // No device type: the system picks the device that handles the file's extension.
    Check(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parms)));
    device_ = parms.wDeviceID;
    // MCI refuses what it cannot read at all. A file it accepts but that does not parse to its end may play
    // nothing and end at once, and the music loop would reopen it for ever: that is an open failure too, with
    // the system's text for an invalid file.
    const auto bytes = ReadFileBounded(file, kMaxMidiFileBytes);
    if (!bytes || !ParseStandardMidiFile(*bytes, MidiFileRules{.allowSmpte = true}).ok) {
        mciSendCommandW(device_, MCI_CLOSE, MCI_WAIT, 0);
        device_ = 0;
        throw EMCIDeviceError(MciErrorText(MCIERR_INVALID_FILE));
    }
}

void MciMediaDevice::Play() {
    MCI_PLAY_PARMS parms{};
    parms.dwCallback = reinterpret_cast<DWORD_PTR>(window_);
    Check(mciSendCommandW(device_, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&parms)));
}

void MciMediaDevice::Close() {
    MCI_GENERIC_PARMS parms{};
    parms.dwCallback = reinterpret_cast<DWORD_PTR>(window_);
    const MCIDEVICEID device = device_;
    device_ = 0;
    Check(mciSendCommandW(device, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parms)));
}

std::int64_t MciMediaDevice::TrackLength(int track) {
    MCI_STATUS_PARMS parms{};
    parms.dwItem = MCI_STATUS_LENGTH;
    parms.dwTrack = static_cast<DWORD>(track);
    Check(mciSendCommandW(device_, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK | MCI_WAIT,
                          reinterpret_cast<DWORD_PTR>(&parms)));
    return static_cast<std::int64_t>(parms.dwReturn);
}

std::int64_t MciMediaDevice::Position() {
    MCI_STATUS_PARMS parms{};
    parms.dwItem = MCI_STATUS_POSITION;
    Check(mciSendCommandW(device_, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&parms)));
    return static_cast<std::int64_t>(parms.dwReturn);
}

void MciMediaDevice::Notified() {
    if (onNotify) onNotify();
}

} // namespace vis
