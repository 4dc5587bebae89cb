#!/bin/sh
# Sets in a package built by wixl what wixl cannot write: the conditions of
# the two program components (wixl would make any <Condition> a launch
# condition, which aborts the install instead of leaving a component out),
# and the service's properties among those that reach the install's
# elevated part.
#   set-conditions.sh <package.msi>
set -eu
msi=$1
msibuild "$msi" -q "UPDATE \`Component\` SET \`Condition\` = 'VIGILOR_SERVICE<>\"0\"' WHERE \`Component\` = 'ProgramService'"
msibuild "$msi" -q "UPDATE \`Component\` SET \`Condition\` = 'VIGILOR_SERVICE=\"0\"' WHERE \`Component\` = 'Program'"
msibuild "$msi" -q "UPDATE \`Property\` SET \`Value\` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;SERVICEACCOUNT;SERVICEPASSWORD;VIGILOR_SERVICE' WHERE \`Property\` = 'SecureCustomProperties'"
