// Named kernel objects that belong to one user: a shared memory block or a mutex that another
// program of lower standing could otherwise create first, under the same name, and so read or
// steer. The object is created with a security descriptor that grants the user and SYSTEM
// alone and carries the creator's integrity level as a mandatory label that refuses reads and
// writes from lower levels; one that already exists is used only when it is protected so.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ravak {

// Integrity levels: the last sub-authority of a mandatory label's SID (S-1-16-<level>).
constexpr uint32_t kMediumIntegrity = 0x2000;
constexpr uint32_t kHighIntegrity = 0x3000;

// The descriptor, in the system's text form (SDDL): owner user_sid, access for user_sid and
// SYSTEM only (nothing inherited), and the label of integrity with no-read-up and
// no-write-up.
std::u16string PrivateObjectSddl(const std::u16string& user_sid, uint32_t integrity);

// What the system reports of an object's protection.
struct ObjectSecurity {
  std::u16string owner;                 // a SID; empty when none is reported
  std::vector<std::u16string> granted;  // the SIDs of its allowing entries; "S-1-1-0" (everyone)
                                        // when it has no access list at all
  std::optional<uint32_t> integrity;    // its mandatory label; nullopt when none is reported
};

// Whether an object found under the name is protected as ours is: the same owner, nobody
// granted access but those our object grants, and a label no lower than ours. Reference is
// what the system reports for an object created with our descriptor, so that a system which
// reports no labels at all is compared on what it does report.
bool ProtectedAs(const ObjectSecurity& existing, const ObjectSecurity& reference);

}  // namespace ravak
