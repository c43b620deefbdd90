#pragma once
// The security descriptor the assistant puts on an installation folder,
// its files and the product's registry keys: full access for
// Administrators, Users and LocalSystem, access mask 1 for Everyone, all
// inherited by sub-folders and files. Owns its SIDs and ACL. Any thread.

#include <windows.h>

#include <vector>

class CRightsDescriptor {
public:
    CRightsDescriptor() = default;
    CRightsDescriptor(const CRightsDescriptor&) = delete;
    CRightsDescriptor& operator=(const CRightsDescriptor&) = delete;
    ~CRightsDescriptor();

    // False when any step of building it fails.
    bool Build();
    PSECURITY_DESCRIPTOR Get() { return &descriptor_; }

private:
    void FreeSids();

    PSID sids_[4] = {};
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
};
