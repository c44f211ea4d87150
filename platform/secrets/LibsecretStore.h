// The secret store through libsecret (the freedesktop Secret Service on the session bus).
//
// A mail password is the item with the attributes application = "zemtra", server = HOST and
// user = USER, as a person stores it with
//   secret-tool store --label="Zemtra mail" application zemtra server HOST user USER
// (items made under any schema match; only unlocked items are read, so nothing ever prompts).
#pragma once

#include <chrono>
#include <memory>

#include "platform/SecretStore.h"

namespace zemtra::platform::secrets {

// `limit` bounds how long one lookup may wait for the service.
std::unique_ptr<SecretStore> createSecretStore(
    std::chrono::milliseconds limit = std::chrono::seconds(3));

}  // namespace zemtra::platform::secrets
