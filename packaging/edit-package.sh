#!/bin/sh
# Sets in a package built by wixl what wixl cannot write:
# - the conditions of the two program components (wixl would make any
#   <Condition> a launch condition, which aborts the install instead of
#   leaving a component out);
# - the service's properties among those that reach the install's elevated
#   part;
# - an upgrade range that includes the package's own version, so that a
#   rebuild of the same version (Windows Installer compares the first three
#   numbers only) replaces the installed product instead of joining it;
# - the program file's version and language, so that Windows Installer's
#   file-versioning rules and repair treat it as the versioned file it is;
# - the root of registry values written as HKMU: wixl writes 4, Windows
#   Installer knows HKMU as -1.
#   edit-package.sh <package.msi> <version>
set -eu
msi=$1
version=$2
query() { msibuild "$msi" -q "$1"; }
# msiinfo ends each line with CR LF.
property() { msiinfo export "$msi" Property | sed 's/\r$//' | awk -F '\t' -v name="$1" '$1 == name { print $2 }'; }

query "UPDATE \`Component\` SET \`Condition\` = 'VIGILOR_SERVICE<>\"0\"' WHERE \`Component\` = 'ProgramService'"
query "UPDATE \`Component\` SET \`Condition\` = 'VIGILOR_SERVICE=\"0\"' WHERE \`Component\` = 'Program'"
query "UPDATE \`Property\` SET \`Value\` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;SERVICEACCOUNT;SERVICEPASSWORD;VIGILOR_SERVICE' WHERE \`Property\` = 'SecureCustomProperties'"

# Attributes is part of the Upgrade table's key, so the row is replaced:
# 1 migrates the features' states, 512 includes the maximum version.
query "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'"
query "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$(property UpgradeCode)', '$version', 513, 'WIX_UPGRADE_DETECTED')"

# 1033: the language of the program's version record.
query "UPDATE \`File\` SET \`Version\` = '$version', \`Language\` = '1033' WHERE \`FileName\` = 'vigilor.exe'"
query "UPDATE \`Registry\` SET \`Root\` = -1 WHERE \`Root\` = 4"
