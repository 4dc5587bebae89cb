"""The metrics files of two Vigilor instances, each written by a pass
through the real main window under Wine, read by the real monitoring stack:
promtool accepts them, node_exporter's textfile collector reads their
folder, Prometheus scrapes node_exporter, and its HTTP API answers for each
instance's services, computers and pass.

  first instance  (this host's name, the GUI tests' prefix): a running and a
                  stopped test service on the loopback; a complete pass.
  second instance (another computer name, a prefix of its own): three rows,
                  the second on a host that ignores echo requests; the pass
                  ends there.

Exits 77 (skipped) without root (test services, network namespaces, a UTS
namespace) or without the stack's programs. From CTest: VIGILOR_BUILD_DIR,
VIGILOR_METRICS_PROGRAM, VIGILOR_METRICS_PREFIX, VIGILOR_SILENT_HOST_FILE."""

import getpass
import json
import os
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from metrics_stack import Stack, can_make_uts_namespace, http_get, missing_programs, run_test, wait_until  # noqa: E402

SKIP = 77
SECOND_NAME = "VIGILOR-SECOND"
# The families every pass gives series of (restarts and alerts only once
# there were some).
FAMILIES = ("vigilor_pass_timestamp_seconds", "vigilor_pass_duration_seconds", "vigilor_pass_complete",
            "vigilor_computer_up", "vigilor_service_state")


def promql_text(value):
    """A PromQL string literal: Go's escapes, as JSON writes them."""
    return json.dumps(value)


def silent_host():
    with open(os.environ["VIGILOR_SILENT_HOST_FILE"]) as f:
        address = f.read().strip()
    return None if address in ("", "unavailable") else address


def main():
    if os.geteuid() != 0:
        print("SKIP: needs root (test services, network and UTS namespaces)")
        return SKIP
    missing = missing_programs()
    if missing:
        print("SKIP: not installed: " + " ".join(missing))
        return SKIP
    if not can_make_uts_namespace():
        print("SKIP: no UTS namespace can be made here (unshare --uts)")
        return SKIP
    address = silent_host()
    if address is None:
        print("SKIP: no network namespace for a silent host here")
        return SKIP
    started = time.monotonic()
    tag = f"{os.getpid()}-{int(time.time())}"
    running = f"Metrics running {tag}"
    # Quotes and a backslash, escaped in the file, come back whole from
    # the stack's own parsers.
    stopped = f'Metrics "stopped" \\ {tag}'
    before = f"Metrics before silent {tag}"
    after = f"Metrics after silent {tag}"
    # Sorted by computer, this is the list's order: the silent host is the
    # second row; the first row's computer is our own end of its link.
    near = "\\\\" + address.rsplit(".", 1)[0] + ".1"
    silent = "\\\\" + address

    with Stack(os.environ["VIGILOR_BUILD_DIR"], os.environ["VIGILOR_METRICS_PROGRAM"],
               os.environ["VIGILOR_METRICS_PREFIX"]) as stack:
        stack.start_servers()
        first_file = stack.metrics_file("first.prom")
        second_file = stack.metrics_file("second.prom")
        first = stack.start_pass("RunningAndStopped", {
            "VIGILOR_METRICS_FILE": first_file, "VIGILOR_METRICS_RUNNING": running,
            "VIGILOR_METRICS_STOPPED": stopped})
        second = stack.start_pass("EndingAtASilentComputer", {
            "VIGILOR_METRICS_FILE": second_file, "VIGILOR_METRICS_NEAR": near, "VIGILOR_METRICS_SILENT": silent,
            "VIGILOR_METRICS_BEFORE": before, "VIGILOR_METRICS_AFTER": after}, computer_name=SECOND_NAME)
        stack.wait_for_servers()
        failures = []
        for instance in (first, second):
            try:
                stack.finish_pass(instance)
            except AssertionError as e:
                failures.append(str(e))
        if failures:
            raise AssertionError("\n".join(failures))
        print(f"passes written after {time.monotonic() - started:.1f} s")

        try:
            read_back(stack, first_file, second_file, running, stopped, before, after, near, silent)
        except AssertionError:
            for path in (first_file, second_file):
                with open(path, encoding="utf-8", errors="replace") as f:
                    print(f"--- {os.path.basename(path)} ---\n{f.read()}", end="")
            raise
        print(f"done in {time.monotonic() - started:.1f} s")
    return 0


def read_back(stack, first_file, second_file, running, stopped, before, after, near, silent):
    """The files through promtool, node_exporter and Prometheus."""
    for path in (first_file, second_file):
        with open(path, "rb") as f:
            text = f.read()
        check = subprocess.run(["promtool", "check", "metrics"], input=text, capture_output=True, timeout=30)
        problems = (check.stdout + check.stderr).decode("utf-8", "replace").strip()
        if check.returncode != 0 or problems:
            raise AssertionError(f"promtool check metrics rejects {os.path.basename(path)} ({check.returncode}): "
                                 f"{problems}")
    print("promtool check metrics accepts both files")

    page = ""

    def exporter_has_both():
        nonlocal page
        page = http_get(stack.exporter_url("/metrics"))
        return "node_textfile_scrape_error 0" in page and page.count("vigilor_pass_complete{") == 2 and \
            all(f"{family}{{" in page for family in FAMILIES)
    try:
        wait_until("node_exporter serving the vigilor families of both files without a read error",
                   exporter_has_both, 20)
    except AssertionError:
        ours = [line for line in page.splitlines() if line.startswith(("vigilor_", "node_textfile", "promhttp"))]
        log = [line[:1500] for line in stack.log_of("node_exporter").splitlines()[-2:]]
        print("--- node_exporter's page, our lines ---", *ours, "--- the end of its log ---", *log, sep="\n")
        raise
    print("node_exporter's textfile collector serves both files")

    # Wine's computer name: the host name's first label, upper case, at
    # most 15 characters; a window's series carry its user's name after it.
    user = "/" + getpass.getuser().upper()
    first_monitor = socket.gethostname().split(".")[0].upper()[:15] + user
    second_monitor = SECOND_NAME + user
    second = f'monitored_by=~"(?i){SECOND_NAME}/.+"'

    def by(result, *labels):
        """monitored_by (upper case) and the given labels of each series, with its value."""
        return {(m.get("monitored_by", "").upper(),) + tuple(m.get(n) for n in labels): v for m, v in result}

    checks = [
        ("the stopped service: stopped", 'vigilor_service_state{state="stopped"} == 1',
         lambda r: (first_monitor, stopped) in by(r, "service") and (first_monitor, running) not in by(r, "service")),
        ("the running service: running", 'vigilor_service_state{state="running"} == 1',
         lambda r: (first_monitor, running) in by(r, "service") and (first_monitor, stopped) not in by(r, "service")),
        ("two instances: this host's name and the second name", "vigilor_pass_timestamp_seconds",
         lambda r: sorted(by(r)) == sorted([(first_monitor,), (second_monitor,)])),
        ("the first instance's pass complete, the second's not", "vigilor_pass_complete",
         lambda r: by(r) == {(first_monitor,): 1.0, (second_monitor,): 0.0}),
        ("second instance: the near computer up, the silent one down, the last one not reached",
         f"vigilor_computer_up{{{second}}}",
         lambda r: by(r, "computer") == {(second_monitor, near): 1.0, (second_monitor, silent): 0.0}),
        ("second instance: the row before the silent computer running",
         f"vigilor_service_state{{{second},service={promql_text(before)}}} == 1",
         lambda r: by(r, "computer", "state") == {(second_monitor, near, "running"): 1.0}),
        ("second instance: the row after the silent computer not checked",
         f"vigilor_service_state{{{second},service={promql_text(after)}}} == 1",
         lambda r: by(r, "computer", "state") == {(second_monitor, "\\\\127.0.0.1", "not_checked"): 1.0}),
    ]
    last = {}

    def all_answered():
        ok = True
        for what, promql, expected in checks:
            last[what] = stack.query(promql)
            ok = expected(last[what]) and ok
        return ok
    try:
        wait_until("Prometheus answering every query as expected", all_answered, 30)
    except AssertionError:
        for what, promql, expected in checks:
            result = last.get(what)
            state = "ok" if result is not None and expected(result) else "FAILED"
            print(f"{state}: {what}\n    {promql}\n    -> {result}")
        raise
    for what, promql, _ in checks:
        print(f"ok: {what}: {promql}")


if __name__ == "__main__":
    run_test(main)
