// The full name of an audio endpoint, which the wave-input capabilities cut to 31 characters.
#pragma once
#include <windows.h>

// The endpoint's friendly name through the multimedia device interface, into name (units,
// terminator included); false when the interface is missing or does not know the endpoint.
bool WINAPI EndpointFriendlyName(const wchar_t* endpointId, wchar_t* name, UINT units);

// Keeps COM started on the calling thread for a batch of those calls: started and ended for
// each one, it costs about ten times the lookup itself under Wine.
class ComScope {
public:
    ComScope();
    ~ComScope();
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool m_started;
};
