#include "update_key.h"
#ifdef QB_HAVE_UPDATE_KEY
#include "update_public_key.h"  // generated at configure time: kUpdatePublicKey
#endif

const uint8_t* BuiltInUpdateKey() {
#ifdef QB_HAVE_UPDATE_KEY
    return kUpdatePublicKey;
#else
    return nullptr;
#endif
}
