"""The prefixes' boot against a stand-in wineboot that fails a given number
of times, as Wine's first start on a fresh machine once did: one failure is
retried on a clean prefix, two give up and leave no prefix marked ready.

    python3 -B -m tests.e2e.boot_retry --work DIR
"""

import argparse
import os
import shutil
import sys

from .wine import READY_MARK, make_prefix
from .x11 import Failure, check, end_on_terminate, log, run_scenario

# Fails while its count of failures lasts, leaving half a prefix, then
# boots, into a clean prefix only: a registry and nothing else. Each run leaves a line in runs.log.
FAKE_WINEBOOT = """#!/bin/sh
echo run >> "{state}/runs.log"
left=$(cat "{state}/failures")
if [ "$left" -gt 0 ]; then
  echo $((left - 1)) > "{state}/failures"
  mkdir -p "$WINEPREFIX/drive_c"
  echo "wine: could not load kernel32.dll, status c0000135" >&2
  exit 53
fi
# A retry must start from a clean prefix.
[ -e "$WINEPREFIX/drive_c" ] && exit 1
mkdir -p "$WINEPREFIX"
echo "WINE REGISTRY Version 2" > "$WINEPREFIX/system.reg"
"""


def boot_with_failures(work, failures):
    """Boots a prefix with a wineboot that fails `failures` times; returns
    (booted, wineboot runs, what the boot said when it gave up)."""
    state = os.path.join(work, "fails-%d" % failures)
    shutil.rmtree(state, ignore_errors=True)
    tools = os.path.join(state, "bin")
    os.makedirs(tools)
    with open(os.path.join(state, "failures"), "w") as f:
        f.write("%d\n" % failures)
    for name, text in (("wineboot", FAKE_WINEBOOT.format(state=state)), ("wineserver", "#!/bin/sh\n")):
        with open(os.path.join(tools, name), "w") as f:
            f.write(text)
        os.chmod(os.path.join(tools, name), 0o755)
    prefix = os.path.join(state, "prefix")
    path = os.environ["PATH"]
    os.environ["PATH"] = tools + os.pathsep + path
    error = None
    try:
        make_prefix(prefix, 320, 240, os.path.join(state, "logs"))
    except Failure as failure:
        error = str(failure)
    finally:
        os.environ["PATH"] = path
    with open(os.path.join(state, "runs.log")) as f:
        runs = len(f.readlines())
    return os.path.exists(os.path.join(prefix, READY_MARK)), runs, error


def check_retries(work):
    cases = [
        # failures, booted, wineboot runs
        (0, True, 1),
        (1, True, 2),
        (2, False, 2),
    ]
    for failures, booted, runs in cases:
        got = boot_with_failures(work, failures)
        log("wineboot failing %d time(s): booted %s after %d run(s) %s" % (failures, got[0], got[1], got[2] or ""))
        check(got[:2] == (booted, runs), "wineboot failing %d time(s): expected booted %s after %d run(s), got %s"
              % (failures, booted, runs, got))
        if not booted:
            check("exited 53" in got[2], "the failure names wineboot's exit code: %s" % got[2])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    options = parser.parse_args()
    end_on_terminate()
    work = os.path.abspath(os.path.join(options.work, "boot_retry"))
    os.makedirs(work, exist_ok=True)
    return run_scenario("boot_retry", lambda: check_retries(work), 60)


if __name__ == "__main__":
    sys.exit(main())
