// Mail passwords from the Secret Service, read without prompting and waited for within a limit.
#include "platform/secrets/LibsecretStore.h"

#include <libsecret/secret.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/Diagnostics.h"

namespace zemtra::platform::secrets {

namespace {

// Items stored by secret-tool carry its generic schema's name: matching by attributes only lets
// them count.
const SecretSchema kMailSchema = {
    "org.zemtra.Mail",
    SECRET_SCHEMA_DONT_MATCH_NAME,
    {
        {"application", SECRET_SCHEMA_ATTRIBUTE_STRING},
        {"server", SECRET_SCHEMA_ATTRIBUTE_STRING},
        {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
        {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
    },
    0,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

// Without an address or the per-user bus socket there is no session bus, and asking GLib for one
// would try to launch a bus of its own.
bool sessionBusReachable() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    return runtime && *runtime &&
           std::filesystem::exists(std::filesystem::path(runtime) / "bus", error);
}

// What a lookup thread hands back. Shared, so that a thread that outlives the wait (a service
// that never answers; libsecret's own calls give up only after D-Bus's 25 s) has somewhere to put
// its answer.
struct Answer {
    std::mutex mutex;
    std::condition_variable ready;
    bool done = false;
    std::optional<std::string> password;
};

class LibsecretStore final : public SecretStore {
  public:
    explicit LibsecretStore(std::chrono::milliseconds limit) : limit_(limit) {}

    std::optional<std::string> mailPassword(const std::string& host,
                                            const std::string& user) override {
        if (!sessionBusReachable()) {
            diagnostics::debug("secret store: no session bus; no password from it");
            return std::nullopt;
        }
        // libsecret's blocking calls do not all heed a GCancellable (connecting to a bus that
        // does not answer waits for D-Bus's own timeout), so the lookup runs on a thread of its
        // own and is waited for no longer than the limit.
        const auto answer = std::make_shared<Answer>();
        std::thread([answer, host, user] {
            auto password = lookUp(host, user);
            const std::lock_guard lock(answer->mutex);
            answer->password = std::move(password);
            answer->done = true;
            answer->ready.notify_all();
        }).detach();
        std::unique_lock lock(answer->mutex);
        if (!answer->ready.wait_for(lock, limit_, [&answer] { return answer->done; })) {
            diagnostics::debug("secret store: no answer within " + std::to_string(limit_.count()) +
                               " ms");
            return std::nullopt;
        }
        return answer->password;
    }

  private:
    static void report(const char* step, GError* error) {
        diagnostics::debug(std::string("secret store: ") + step + ": " +
                           (error ? error->message : "no answer"));
        if (error) g_error_free(error);
    }

    static std::optional<std::string> lookUp(const std::string& host, const std::string& user) {
        GError* error = nullptr;
        SecretService* service = secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, &error);
        if (!service) {
            report("cannot reach the secret service", error);
            secret_service_disconnect();
            return std::nullopt;
        }
        GHashTable* attributes = g_hash_table_new(g_str_hash, g_str_equal);
        g_hash_table_insert(attributes, const_cast<char*>("application"),
                            const_cast<char*>("zemtra"));
        g_hash_table_insert(attributes, const_cast<char*>("server"),
                            const_cast<char*>(host.c_str()));
        g_hash_table_insert(attributes, const_cast<char*>("user"), const_cast<char*>(user.c_str()));
        // No SECRET_SEARCH_UNLOCK: a locked item is passed over rather than prompted for.
        GList* items = secret_service_search_sync(service, &kMailSchema, attributes,
                                                  SECRET_SEARCH_LOAD_SECRETS, nullptr, &error);
        g_hash_table_unref(attributes);
        std::optional<std::string> password;
        if (error) {
            report("cannot search the secret service", error);
        } else {
            for (GList* entry = items; entry && !password; entry = entry->next) {
                SecretValue* value = secret_item_get_secret(SECRET_ITEM(entry->data));
                if (!value) continue;  // locked
                if (const char* text = secret_value_get_text(value)) password = text;
                secret_value_unref(value);
            }
            if (!password) {
                diagnostics::debug("secret store: no unlocked password for " + user + " on " +
                                   host);
            }
        }
        g_list_free_full(items, g_object_unref);
        g_object_unref(service);
        // One lookup per start: the service libsecret keeps for the process would only go stale.
        secret_service_disconnect();
        return password;
    }

    std::chrono::milliseconds limit_;
};

}  // namespace

std::unique_ptr<SecretStore> createSecretStore(std::chrono::milliseconds limit) {
    return std::make_unique<LibsecretStore>(limit);
}

}  // namespace zemtra::platform::secrets
