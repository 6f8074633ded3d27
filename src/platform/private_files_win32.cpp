// Windows: the owner and access list of an entry, CreateDirectoryW, and the
// ordinal case rule of file names.
#include "platform/private_files.h"

#include "platform/path.h"
#include "platform/win32_handles.h"

#include <aclapi.h>
#include <array>
#include <vector>

namespace launcher::platform {

namespace {

// The token's user and its default owner of new objects (the Administrators
// group for an elevated start): files this user made carry one of them.
struct ThisUser {
    std::vector<BYTE> user, owner;
};

bool readTokenSid(HANDLE token, TOKEN_INFORMATION_CLASS kind, std::vector<BYTE>& sid) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token, kind, buffer.data(), size, &size)) {
        return false;
    }
    PSID found = kind == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                                   : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
    sid.assign(static_cast<BYTE*>(found), static_cast<BYTE*>(found) + GetLengthSid(found));
    return true;
}

bool thisUser(ThisUser& user) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        return false;
    }
    UniqueKernelHandle token(raw);
    return readTokenSid(token.get(), TokenUser, user.user) &&
           readTokenSid(token.get(), TokenOwner, user.owner);
}

bool isSid(PSID sid, std::vector<BYTE>& known) {
    return !known.empty() && EqualSid(sid, known.data());
}

bool isWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
    return IsWellKnownSid(sid, type) != FALSE;
}

// The system itself and the administrators may write anything anyway.
bool mayWriteAnyway(PSID sid, ThisUser& user) {
    return isSid(sid, user.user) || isSid(sid, user.owner) || isWellKnown(sid, WinLocalSystemSid) ||
           isWellKnown(sid, WinBuiltinAdministratorsSid) || isWellKnown(sid, WinCreatorOwnerSid);
}

constexpr ACCESS_MASK kWriting = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                 FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER |
                                 GENERIC_WRITE | GENERIC_ALL;

bool othersMayWrite(PACL list, ThisUser& user) {
    if (list == nullptr) {
        return true; // no list at all lets everyone in
    }
    for (DWORD index = 0; index < list->AceCount; ++index) {
        void* entry = nullptr;
        if (!GetAce(list, index, &entry)) {
            return true;
        }
        auto* header = static_cast<ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) {
            continue;
        }
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if ((allowed->Mask & kWriting) != 0 &&
            !mayWriteAnyway(reinterpret_cast<PSID>(&allowed->SidStart), user)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool onlyThisUserMayWrite(const WideString& path) {
    WideString full = withLongPathPrefix(path);
    DWORD attributes = GetFileAttributesW(wide(full.c_str()));
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return false;
    }
    PSID owner = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR raw = nullptr;
    if (GetNamedSecurityInfoW(wide(full.c_str()), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &list, nullptr, &raw) != ERROR_SUCCESS) {
        return false;
    }
    UniqueLocalMemory descriptor(raw);
    ThisUser user;
    if (!thisUser(user) || owner == nullptr) {
        return false;
    }
    bool ours = isSid(owner, user.user) || isSid(owner, user.owner);
    return ours && !othersMayWrite(list, user);
}

uint32_t createPrivateFolderLevel(const WideString& path, bool& made) {
    made = false;
    WideString full = withLongPathPrefix(path);
    if (CreateDirectoryW(wide(full.c_str()), nullptr)) {
        made = true;
        return 0;
    }
    DWORD code = GetLastError();
    DWORD attributes = GetFileAttributesW(wide(full.c_str()));
    if (code == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return 0;
    }
    return code;
}

bool fileNamesEqual(std::u16string_view first, std::u16string_view second) noexcept {
    return CompareStringOrdinal(wide(first.data()), static_cast<int>(first.size()),
                                wide(second.data()), static_cast<int>(second.size()),
                                TRUE) == CSTR_EQUAL;
}

WideString foldedForFileNames(std::u16string_view text) {
    std::u16string folded(text);
    if (!folded.empty() &&
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide(text.data()),
                      static_cast<int>(text.size()), wide(folded.data()),
                      static_cast<int>(folded.size()), nullptr, nullptr, 0) == 0) {
        return WideString(text);
    }
    return WideString(folded);
}

} // namespace launcher::platform
