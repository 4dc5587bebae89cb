"""The shipped alerting rules end to end, on the loopback: a pass through the
real main window under Wine writes its metrics file, node_exporter's
textfile collector serves it, Prometheus evaluates the rules (this test's
copy, each "for:" shortened) and sends to Alertmanager, which notifies a
webhook receiver of this script's own.

  A stopped monitored service: one firing alert arrives, naming the
  computer and the service in its labels. Then the program starts the
  service and passes again: the alert arrives resolved.

Exits 77 (skipped) without root (test services) or without the stack's
programs. From CTest: VIGILOR_BUILD_DIR, VIGILOR_METRICS_PROGRAM,
VIGILOR_METRICS_PREFIX."""

import http.server
import json
import os
import re
import shutil
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from metrics_stack import Stack, missing_programs, run_test, wait_until  # noqa: E402

SKIP = 77
RULES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "packaging", "prometheus",
                     "vigilor-rules.yml")
ALERT = "VigilorServiceDown"


class Receiver:
    """A webhook receiver on the loopback: every alert of every
    notification, as (status, labels), in the order they came."""

    def __init__(self):
        self.alerts = []
        self.lock = threading.Lock()
        receiver = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_POST(self):
                body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
                with receiver.lock:
                    for alert in json.loads(body).get("alerts", []):
                        receiver.alerts.append((alert["status"], alert["labels"]))
                self.send_response(200)
                self.end_headers()

            def log_message(self, *args):
                pass

        self.server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}/"
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def received(self):
        with self.lock:
            return list(self.alerts)

    def close(self):
        self.server.shutdown()
        self.server.server_close()


def quick_rules(folder):
    """The shipped rules with every "for:" at two seconds."""
    with open(RULES) as f:
        text = f.read()
    quick, count = re.subn(r"(\n\s+for: )\S+", r"\g<1>2s", text)
    if count == 0:
        raise AssertionError(f"no 'for:' in {RULES}")
    path = os.path.join(folder, "vigilor-rules.yml")
    with open(path, "w") as f:
        f.write(quick)
    return path


def main():
    if os.geteuid() != 0:
        print("SKIP: needs root (test services)")
        return SKIP
    missing = missing_programs() + [p for p in ("prometheus-alertmanager",) if shutil.which(p) is None]
    if missing:
        print("SKIP: not installed: " + " ".join(missing))
        return SKIP
    started = time.monotonic()
    service = f"Alerting stopped {os.getpid()}-{int(time.time())}"
    receiver = Receiver()
    try:
        with Stack(os.environ["VIGILOR_BUILD_DIR"], os.environ["VIGILOR_METRICS_PROGRAM"],
                   os.environ["VIGILOR_METRICS_PREFIX"]) as stack:
            stack.start_alertmanager(receiver.url)
            stack.start_servers(rule_file=quick_rules(stack.folder))
            go = os.path.join(stack.folder, "go")
            instance = stack.start_pass("StoppedThenRunningAgain", {
                "VIGILOR_METRICS_FILE": stack.metrics_file("vigilor.prom"), "VIGILOR_METRICS_STOPPED": service,
                "VIGILOR_METRICS_GO": go})
            stack.wait_for_servers()
            try:
                check(stack, receiver, instance, service, go)
            except AssertionError:
                print("--- received ---", *receiver.received(), sep="\n")
                print("--- alertmanager's log ---", stack.log_of("alertmanager")[-3000:], sep="\n")
                raise
    finally:
        receiver.close()
    print(f"done in {time.monotonic() - started:.1f} s")
    return 0


def check(stack, receiver, instance, service, go):
    name, process = instance

    def ours(status):
        return [labels for s, labels in receiver.received()
                if s == status and labels.get("alertname") == ALERT and labels.get("service") == service]

    def firing():
        if process.poll() is not None:
            raise AssertionError(f"{name} ended ({process.returncode}) before its alert came:\n{stack.log_of(name)}")
        return ours("firing")
    wait_until(f"a firing {ALERT} at the receiver", firing, 60)
    alerts = {json.dumps(labels, sort_keys=True) for status, labels in receiver.received() if status == "firing"}
    if len(alerts) != 1:
        raise AssertionError(f"not one firing alert but {len(alerts)}: {sorted(alerts)}")
    labels = ours("firing")[0]
    expected = {"computer": "\\\\127.0.0.1", "service": service, "state": "stopped", "severity": "critical"}
    if any(labels.get(k) != v for k, v in expected.items()) or "/" not in labels.get("monitored_by", ""):
        raise AssertionError(f"the alert's labels: {labels}")
    print(f"ok: one firing alert: {labels}")

    with open(go, "w"):
        pass
    stack.finish_pass(instance)
    wait_until(f"the {ALERT} resolved at the receiver", lambda: ours("resolved"), 60)
    print(f"ok: resolved after the service ran again: {ours('resolved')[0]}")


if __name__ == "__main__":
    run_test(main)
