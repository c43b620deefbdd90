#include "system/rights_descriptor.h"

CRightsDescriptor::~CRightsDescriptor() { FreeSids(); }

void CRightsDescriptor::FreeSids() {
    for (PSID& sid : sids_) {
        if (sid) FreeSid(sid);
        sid = nullptr;
    }
}

bool CRightsDescriptor::Build() {
    FreeSids();
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &sids_[0]) ||
        !AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0,
                                  &sids_[1]) ||
        !AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &sids_[2]) ||
        !AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &sids_[3]))
        return false;

    // Room for the ACL header and four entries: the SID lengths plus 40
    // (8 for the header, 8 for each entry's header and mask).
    DWORD size = 40;
    for (PSID sid : sids_) size += GetLengthSid(sid);
    acl_.assign(size, 0);
    PACL acl = reinterpret_cast<PACL>(acl_.data());
    if (!InitializeAcl(acl, size, ACL_REVISION_DS)) return false;
    const DWORD inherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    const DWORD masks[4] = {GENERIC_ALL, GENERIC_ALL, GENERIC_ALL, 1};
    for (int i = 0; i < 4; ++i)
        if (!AddAccessAllowedAceEx(acl, ACL_REVISION, inherit, masks[i], sids_[i])) return false;
    if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION)) return false;
    return SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) != FALSE;
}
