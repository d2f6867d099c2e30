#!/usr/bin/env bash
# Only the sanitizer pass of scripts/test.sh (AddressSanitizer and
# UndefinedBehaviorSanitizer), into $BUILD_DIR-sanitize.
set -euo pipefail
CARTAVO_PASSES=sanitize exec "$(dirname "$0")/test.sh" "$@"
