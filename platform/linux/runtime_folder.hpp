#pragma once

#include <optional>

#include <QString>

namespace vantric {

// A folder private to this user for sockets and lock files: the session's runtime folder as Qt
// finds it (XDG_RUNTIME_DIR, else runtime-<user> in the temporary folder; Qt checks both for
// owner and mode), else vantric-<uid> in the temporary folder, made with mode 0700 and checked
// likewise. Nothing when neither can be had: a fixed name in a shared folder, which another user
// could take first, is never used instead.
std::optional<QString> privateRuntimeFolder();

// Whether path is a folder (not a link to one) that this user owns and no one else may enter:
// made with mode 0700 when it does not exist, closed to others when it is this user's.
bool isPrivateFolder(const QString& path);

}  // namespace vantric
