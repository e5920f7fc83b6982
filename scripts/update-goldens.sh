#!/usr/bin/env bash
# Rewrites the golden files from the current tarvine-cli (build/ by default).
# Review `git diff tests/documents` before committing: a golden file is only
# as good as the reading that checked it.
set -euo pipefail
cd "$(dirname "$0")/.."
shopt -s nullglob
cli=${CLI:-build/cli/tarvine-cli}
for document in tests/documents/*.calc tests/documents/regressions/*.calc; do
  "$cli" --json "$document" > "${document%.calc}.json" || true
done
mkdir -p tests/documents/examples
for example in examples/*.calc; do
  name=$(basename "${example%.calc}")
  "$cli" --json "$example" > "tests/documents/examples/$name.json" || true
done
