#!/usr/bin/python3
"""A look at what the monitoring stack makes of the metrics files: starts
node_exporter and Prometheus on the loopback as the metrics test does, runs
a few passes through the main window under Wine (two services that swap
running and stopped from pass to pass; a second instance whose pass ends at
a silent host), and takes screenshots of Prometheus' graph page of
vigilor_service_state in headless Chromium: the graph (PNG) and the table of
the states found by the latest passes (PNG with -table).

  sudo scripts/look_at_metrics_graph.py [BUILD_DIR] [PNG]

BUILD_DIR defaults to build/windows (built, with `ctest -R wine_prefix_init`
run once), PNG to BUILD_DIR/metrics-graph.png. Needs root, Chromium and the
stack's packages."""

import os
import shutil
import subprocess
import sys
import time
import urllib.parse

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "tests", "metrics"))
from metrics_stack import Stack, missing_programs, wait_until  # noqa: E402

PASSES = 4
SILENT_HOST_INDEX = 7


def wait_for_scrapes(stack, seconds):
    """Until Prometheus holds a sample taken that many seconds from now, so
    that each pass shows on the graph as a stretch of its own."""
    later = time.time() + seconds
    wait_until("a scrape", lambda: any(
        v > later for _, v in stack.query("timestamp(vigilor_pass_timestamp_seconds)")), seconds + 10)


def screenshot(url, png):
    subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                    f"--screenshot={png}", "--window-size=1280,900", "--virtual-time-budget=10000", url],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    print(f"{url}\n-> {png}")


def main():
    build_dir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "build", "windows"))
    png = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else os.path.join(build_dir, "metrics-graph.png"))
    missing = missing_programs() + ([] if shutil.which("chromium") else ["chromium"])
    if os.geteuid() != 0 or missing:
        sys.exit("needs root and " + " ".join(missing or ["nothing else"]))
    silent_script = os.path.join(here, "..", "tests", "support", "silent_host.sh")
    silent_file = os.path.join(build_dir, "silent-host-look.txt")
    subprocess.run(["sh", silent_script, "up", str(SILENT_HOST_INDEX), silent_file], check=True)
    try:
        with open(silent_file) as f:
            address = f.read().strip()
        with Stack(build_dir, os.path.join(build_dir, "metrics_pass_tests.exe"),
                   os.path.join(build_dir, "wineprefix-metrics")) as stack:
            stack.start_servers()
            stack.wait_for_servers()
            names = [f"Service A {os.getpid()}", f"Service B {os.getpid()}"]
            second = None
            if address != "unavailable":
                os.environ["VIGILOR_SILENT_HOST_FILE"] = silent_file
                second = stack.start_pass("EndingAtASilentComputer", {
                    "VIGILOR_METRICS_FILE": stack.metrics_file("second.prom"),
                    "VIGILOR_METRICS_NEAR": "\\\\" + address.rsplit(".", 1)[0] + ".1",
                    "VIGILOR_METRICS_SILENT": "\\\\" + address,
                    "VIGILOR_METRICS_BEFORE": f"Before silent {os.getpid()}",
                    "VIGILOR_METRICS_AFTER": f"After silent {os.getpid()}"}, computer_name="VIGILOR-SECOND")
            for n in range(PASSES):
                running, stopped = names if n % 2 == 0 else reversed(names)
                stack.finish_pass(stack.start_pass("RunningAndStopped", {
                    "VIGILOR_METRICS_FILE": stack.metrics_file("first.prom"), "VIGILOR_METRICS_RUNNING": running,
                    "VIGILOR_METRICS_STOPPED": stopped}))
                wait_for_scrapes(stack, 5)
                print(f"pass {n + 1}: {running} running, {stopped} stopped")
            if second:
                stack.finish_pass(second)
                wait_for_scrapes(stack, 2)
            # The graph, and the table of the states found now.
            for query, tab, path in (("vigilor_service_state", "0", png),
                                     ("vigilor_service_state == 1", "1", png.replace(".png", "-table.png"))):
                screenshot(stack.prometheus_url("/graph?" + urllib.parse.urlencode(
                    {"g0.expr": query, "g0.tab": tab, "g0.range_input": "1m"})), path)
    finally:
        subprocess.run(["sh", silent_script, "down", str(SILENT_HOST_INDEX)])


if __name__ == "__main__":
    main()
