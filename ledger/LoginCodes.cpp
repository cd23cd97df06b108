#include "ledger/LoginCodes.h"

#include <QCryptographicHash>

namespace {

const char* const kSalt = "pw-login-7c1e";

struct CodeHash {
    const char* sha256;
    LoginRole role;
};

const CodeHash kCodes[] = {
    {"af683e22d2189125c6cd7d17132c5b02e90b7f677c77c36bd1e75bd4dceec679", LoginRole::Full},
    {"5535308733716e3f830248505120efe81d9837e0132960821d84a32c74e28c0b", LoginRole::Full},
    {"944484cd039239d3e60addf5f44d07821ff44d6a16c92c23f49b57a1b4e236d0", LoginRole::ViewOnly},
    {"2866aeba9089d4799f3aea0f9aa754c4269aaa1a7e52b284a0cd20a34f2a76dc", LoginRole::ShiftMaster},
    {"a0dabfb00e09434022cbaf19a7757cb9bc1fb4715059b4cdce4ed47cf16365f6", LoginRole::Warehouse},
};

} // namespace

LoginRole roleForCode(const QString& code)
{
    if (code.isEmpty())
        return LoginRole::None;
    const QByteArray hash = QCryptographicHash::hash(QByteArray(kSalt) + code.toUtf8(), QCryptographicHash::Sha256).toHex();
    for (const CodeHash& entry : kCodes)
        if (hash == entry.sha256)
            return entry.role;
    return LoginRole::None;
}
