#!/usr/bin/env bash
# Fails when a file includes another layer's private src/ folder. A layer's own src/ files
# include each other by bare name ("Store.h"), so any include path that names a src/ folder
# reaches into someone else's.
#   scripts/check-fence.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
hits=$(grep -rnE --include='*.cpp' --include='*.h' --include='*.hpp' \
  '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^">]*/)?src/' \
  apps app tree detail res afx model codec platform tools tests bench fuzz 2>/dev/null || true)
if [ -n "$hits" ]; then
  echo "These files include another layer's src/ (use the layer's include/ or a test seam):" >&2
  echo "$hits" >&2
  exit 1
fi
