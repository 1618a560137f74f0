#!/usr/bin/env bash
# Fails when a GoogleTest file uses a QtTest check. Those macros return from the
# function on failure, and GoogleTest then counts the test as passed.
set -euo pipefail
cd "${1:-$(dirname "$0")/../..}"

fehler=0
while IFS= read -r datei; do
  if grep -nE '\b(QTRY_[A-Z_]+|QVERIFY[A-Z0-9_]*|QCOMPARE[A-Z_]*|QFAIL|QSKIP|QEXPECT_FAIL|QFETCH[A-Z_]*|WARTE_BIS)[[:space:]]*\(' \
       "$datei"; then
    echo "$datei: QtTest-Makro in einem GoogleTest-Test; bitte EXPECT_/ASSERT_ und WarteBis verwenden"
    fehler=1
  fi
done < <(grep -rlE '#[[:space:]]*include[[:space:]]*<gtest/' tests --include='*.cpp' --include='*.h' || true)
exit $fehler
