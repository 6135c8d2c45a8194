// The recording devices by name on a scripted machine, and finding a remembered one again
// after devices came and went.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/capture/capture_devices.h"
#include "audio/capture/capture_engine.h"
#include "audio/capture/device_match.h"
#include "fake_wave_in.h"

namespace {

using Names = std::vector<std::wstring>;

const FakeCaptureDevice kBuiltIn{L"Microphone (Realtek High Defini", L"{0.0.1.00000000}.{a}",
                                 L"Microphone (Realtek High Definition Audio)"};
const FakeCaptureDevice kUsb{L"Podcast USB Microphone", L"{0.0.1.00000000}.{b}", L"Podcast USB Microphone"};
// An old driver gives no endpoint id: only the capabilities' name is known.
const FakeCaptureDevice kHeadset{L"Headset Microphone (Wireless St", L"", L""};

// One field of every listed device.
Names Each(const std::vector<CaptureDevice>& devices, std::wstring CaptureDevice::*field) {
    Names values;
    for (const CaptureDevice& device : devices) values.push_back(device.*field);
    return values;
}

TEST(CaptureDevices, ListsTheEndpointsFullNamesAndIdsAndTheCapabilitiesNameWhereThereIsNone) {
    FakeWaveInScript script;
    script.devices = {kBuiltIn, kHeadset, kUsb};
    script.devices.push_back({L"Gone", L"{0.0.1.00000000}.{c}", L"", true});
    FakeWaveIn::Reset(script);
    const std::vector<CaptureDevice> devices = CaptureDevices(FakeWaveIn::Api());
    EXPECT_EQ(Each(devices, &CaptureDevice::name), (Names{L"Microphone (Realtek High Definition Audio)", L"Headset Microphone (Wireless St",
                                       L"Podcast USB Microphone", L""}));
    EXPECT_EQ(Each(devices, &CaptureDevice::endpointId),
              (Names{L"{0.0.1.00000000}.{a}", L"", L"{0.0.1.00000000}.{b}", L"{0.0.1.00000000}.{c}"}));
}

TEST(CaptureDevices, TheDefaultIsNamedByTheSystemsPreferredDevice) {
    FakeWaveInScript script;
    script.devices = {kUsb, kBuiltIn};
    script.preferred = 1;
    FakeWaveIn::Reset(script);
    EXPECT_EQ(DefaultCaptureDeviceName(FakeWaveIn::Api()), L"Microphone (Realtek High Definition Audio)");
    script.preferred = -1;
    FakeWaveIn::Reset(script);
    EXPECT_EQ(DefaultCaptureDeviceName(FakeWaveIn::Api()), L"");
}

TEST(CaptureDevices, ARememberedDeviceIsFoundByNameWhereverItIsNow) {
    const std::wstring usb = L"Podcast USB Microphone";
    EXPECT_EQ(FindCaptureDevice({usb, L"Microphone (Realtek High Definition Audio)"}, usb), 0);
    EXPECT_EQ(FindCaptureDevice({L"Microphone (Realtek High Definition Audio)", L"Line In", usb}, usb), 2);
    EXPECT_EQ(FindCaptureDevice({L"Microphone (Realtek High Definition Audio)"}, usb), kDeviceNotFound);
    EXPECT_EQ(FindCaptureDevice({}, usb), kDeviceNotFound);
    // The system default is no device of the list.
    EXPECT_EQ(FindCaptureDevice({L""}, L""), kDeviceNotFound);
    // Two of the same model: the first.
    EXPECT_EQ(FindCaptureDevice({L"Line In", usb, usb}, usb), 1);
}

TEST(CaptureDevices, ANameCutToThirtyOneCharactersFindsTheFullOneAndTheOtherWayRound) {
    const std::wstring full = L"Microphone (Realtek High Definition Audio)";
    const std::wstring cut = full.substr(0, kCapsNameUnits);
    EXPECT_EQ(FindCaptureDevice({L"Line In", full}, cut), 1);
    EXPECT_EQ(FindCaptureDevice({L"Line In", cut}, full), 1);
    // An exact name wins over a cut one that comes first.
    EXPECT_EQ(FindCaptureDevice({cut + L" 2", cut}, cut), 1);
    // Shorter names are whole names: a common beginning is not enough.
    EXPECT_EQ(FindCaptureDevice({L"Microphone"}, L"Microphone (USB)"), kDeviceNotFound);
    EXPECT_EQ(FindCaptureDevice({full}, full.substr(0, kCapsNameUnits - 1)), kDeviceNotFound);
}

// Two microphones of one model, or of names alike over the capabilities' 31 characters: the
// remembered endpoint decides, wherever the device is numbered now. A device given a new
// endpoint, or a choice remembered without one, is still found by its name.
TEST(CaptureDevices, ARememberedDeviceIsFoundByItsEndpointBeforeItsNameOrItsFirst31Characters) {
    const std::wstring cut = L"Microphone (Realtek High Defini";
    const CaptureDevice left{L"Podcast USB Microphone", L"{0.0.1.00000000}.{left}"};
    const CaptureDevice right{L"Podcast USB Microphone", L"{0.0.1.00000000}.{right}"};
    const CaptureDevice front{cut + L"tion Audio) Front", L"{0.0.1.00000000}.{front}"};
    const CaptureDevice rear{cut + L"tion Audio) Rear", L"{0.0.1.00000000}.{rear}"};
    EXPECT_EQ(FindCaptureDevice({left, right}, right), 1);
    // Both named by their capabilities only this time.
    EXPECT_EQ(FindCaptureDevice({CaptureDevice{cut, front.endpointId}, CaptureDevice{cut, rear.endpointId}}, rear), 1);
    // A device renamed in the system's settings is still itself.
    EXPECT_EQ(FindCaptureDevice({left, CaptureDevice{L"Interview Mic", right.endpointId}}, right), 1);
    // No endpoint matches: the whole name, then the cut one.
    EXPECT_EQ(FindCaptureDevice({rear, left}, CaptureDevice{right.name, L"{0.0.1.00000000}.{new}"}), 1);
    EXPECT_EQ(FindCaptureDevice({CaptureDevice{cut, L""}, front}, CaptureDevice{front.name, L""}), 1);
    EXPECT_EQ(FindCaptureDevice({left, rear}, front), kDeviceNotFound);
}

// Unplugged while the program runs, a device may stay listed and only refuse to open.
TEST(CaptureDevices, AProbeOpensTheDeviceAndClosesItAtOnceOrTellsItIsGone) {
    FakeWaveIn* device = &FakeWaveIn::Reset();
    EXPECT_EQ(ProbeCaptureDevice(FakeWaveIn::Api(), 1, 1, 44100), DeviceProbe::kOpens);
    EXPECT_EQ(device->Calls(), (std::vector<std::string>{"open other device", "close"}));
    EXPECT_EQ(device->format.nAvgBytesPerSec, 88200u);
    FakeWaveInScript script;
    script.openResult = MMSYSERR_NODRIVER;
    device = &FakeWaveIn::Reset(script);
    EXPECT_EQ(ProbeCaptureDevice(FakeWaveIn::Api(), 1, 1, 44100), DeviceProbe::kGone);
    EXPECT_EQ(device->Calls(), (std::vector<std::string>{"open other device"}));
}

// A driver that serves one capture client: while the level meter (or another program)
// captures, the device is held, not gone, and it opens again once the meter lets go.
TEST(CaptureDevices, ADeviceCapturedFromAnswersHeldUntilItIsLetGo) {
    FakeWaveInScript script;
    script.oneClient = true;
    FakeWaveIn::Reset(script);
    CaptureEngine meter(FakeWaveIn::Api());
    ASSERT_EQ(meter.Start(1, 44100, 1), kCaptureOk);
    EXPECT_EQ(ProbeCaptureDevice(FakeWaveIn::Api(), 1, 1, 44100), DeviceProbe::kHeld);
    ASSERT_EQ(meter.Stop(), 0);
    EXPECT_EQ(ProbeCaptureDevice(FakeWaveIn::Api(), 1, 1, 44100), DeviceProbe::kOpens);
}

}  // namespace
