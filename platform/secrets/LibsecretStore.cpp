// Mail passwords from the Secret Service, read without prompting and within a time limit.
#include "platform/secrets/LibsecretStore.h"

#include <libsecret/secret.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
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

// Cancels the operations given its GCancellable once the limit has passed, unless done first.
class Deadline {
  public:
    Deadline(GCancellable* cancellable, std::chrono::milliseconds limit)
        : watcher_([this, cancellable, limit] {
              std::unique_lock lock(mutex_);
              if (!changed_.wait_for(lock, limit, [this] { return done_; }))
                  g_cancellable_cancel(cancellable);
          }) {}
    ~Deadline() {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        watcher_.join();
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool done_ = false;
    std::thread watcher_;
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
        GCancellable* cancellable = g_cancellable_new();
        std::optional<std::string> password;
        {
            const Deadline deadline(cancellable, limit_);
            password = lookUp(host, user, cancellable);
        }
        g_object_unref(cancellable);
        return password;
    }

  private:
    static void report(const char* step, GError* error) {
        diagnostics::debug(std::string("secret store: ") + step + ": " +
                           (error ? error->message : "no answer"));
        if (error) g_error_free(error);
    }

    static std::optional<std::string> lookUp(const std::string& host, const std::string& user,
                                             GCancellable* cancellable) {
        GError* error = nullptr;
        SecretService* service = secret_service_get_sync(SECRET_SERVICE_NONE, cancellable, &error);
        if (!service) {
            report("cannot reach the secret service", error);
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
                                                  SECRET_SEARCH_LOAD_SECRETS, cancellable, &error);
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
        return password;
    }

    std::chrono::milliseconds limit_;
};

}  // namespace

std::unique_ptr<SecretStore> createSecretStore(std::chrono::milliseconds limit) {
    return std::make_unique<LibsecretStore>(limit);
}

}  // namespace zemtra::platform::secrets
