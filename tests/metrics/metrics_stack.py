"""The monitoring stack on the loopback, for the metrics tests and the look
at its graph page: node_exporter reading a folder of .prom files with its
textfile collector alone, a Prometheus server scraping it every second
(evaluating alerting rules and sending to an Alertmanager, when asked), and
the passes of the metrics test program under Wine that write those files.

Everything a Stack starts runs in a process group of its own and is ended
when the Stack closes, whatever way the caller leaves."""

import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request

PROGRAMS = ("prometheus", "promtool", "prometheus-node-exporter", "unshare", "xvfb-run", "wine", "wineserver")
SCREEN = "-screen 0 1024x768x24"
WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}


def missing_programs():
    return [p for p in PROGRAMS if shutil.which(p) is None]


def can_make_uts_namespace():
    return subprocess.run(["unshare", "--uts", "true"], stderr=subprocess.DEVNULL).returncode == 0


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def http_get(url, timeout=2):
    with urllib.request.urlopen(url, timeout=timeout) as answer:
        return answer.read().decode("utf-8")


def wait_until(what, probe, limit):
    """Polls probe() until it returns something true, for at most limit
    seconds; returns that, or raises with the last thing probe said."""
    deadline = time.monotonic() + limit
    last = None
    while True:
        try:
            result = probe()
            if result:
                return result
        except (OSError, ValueError, urllib.error.URLError) as e:
            last = e
        if time.monotonic() >= deadline:
            raise AssertionError(f"{what}: not within {limit} s" + (f" (last error: {last})" if last else ""))
        time.sleep(0.2)


class Terminated(Exception):
    pass


def _terminate(signum, frame):
    raise Terminated(f"signal {signum}")


def run_test(main):
    """Runs a stack test's main; a failed check or a signal ends it with 1."""
    try:
        sys.exit(main())
    except AssertionError as e:
        print(f"FAIL: {e}")
        sys.exit(1)
    except Terminated as e:
        print(f"FAIL: ended by {e}")
        sys.exit(1)


class Stack:
    def __init__(self, build_dir, program, second_prefix):
        self.build_dir = build_dir
        self.program = program
        self.second_prefix = second_prefix
        self.folder = tempfile.mkdtemp(prefix="vigilor-metrics-")
        self.textfiles = os.path.join(self.folder, "textfile")
        os.mkdir(self.textfiles)
        self.processes = []
        self.prefixes_used = []
        for s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            signal.signal(s, _terminate)

    # --- the servers ---------------------------------------------------

    def _start(self, name, command, env=None):
        log = open(os.path.join(self.folder, name + ".log"), "wb")
        process = subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                   env=env, start_new_session=True)
        log.close()
        self.processes.append((name, process))
        return process

    def log_of(self, name):
        try:
            with open(os.path.join(self.folder, name + ".log"), "rb") as f:
                return f.read().decode("utf-8", "replace")
        except OSError:
            return ""

    def start_alertmanager(self, webhook_url):
        """An Alertmanager that sends every group, firing and resolved, to
        the webhook at once; alone, with no cluster peers."""
        self.alertmanager_port = free_port()
        config = os.path.join(self.folder, "alertmanager.yml")
        with open(config, "w") as f:
            f.write("route:\n  receiver: test\n  group_by: [alertname, computer, service]\n"
                    "  group_wait: 1s\n  group_interval: 1s\n  repeat_interval: 1h\n"
                    "receivers:\n  - name: test\n    webhook_configs:\n"
                    f"      - url: '{webhook_url}'\n        send_resolved: true\n")
        self._start("alertmanager", [
            "prometheus-alertmanager", f"--config.file={config}",
            f"--storage.path={os.path.join(self.folder, 'alertmanager')}",
            f"--web.listen-address=127.0.0.1:{self.alertmanager_port}", "--cluster.listen-address="])

    def start_servers(self, rule_file=None):
        """node_exporter and Prometheus; with a rule file, Prometheus
        evaluates it and sends its alerts to the Alertmanager started
        before."""
        self.exporter_port = free_port()
        self.prometheus_port = free_port()
        self._start("node_exporter", [
            "prometheus-node-exporter", f"--web.listen-address=127.0.0.1:{self.exporter_port}",
            "--collector.disable-defaults", "--collector.textfile",
            f"--collector.textfile.directory={self.textfiles}"])
        config = os.path.join(self.folder, "prometheus.yml")
        with open(config, "w") as f:
            f.write("global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\n"
                    "scrape_configs:\n  - job_name: node\n    static_configs:\n"
                    f"      - targets: ['127.0.0.1:{self.exporter_port}']\n")
            if rule_file:
                f.write(f"rule_files: ['{rule_file}']\n"
                        "alerting:\n  alertmanagers:\n    - static_configs:\n"
                        f"        - targets: ['127.0.0.1:{self.alertmanager_port}']\n")
        self._start("prometheus", [
            "prometheus", f"--config.file={config}", f"--storage.tsdb.path={os.path.join(self.folder, 'tsdb')}",
            f"--web.listen-address=127.0.0.1:{self.prometheus_port}"])

    def wait_for_servers(self, limit=30):
        servers = [("node_exporter", self.exporter_url("/metrics")), ("prometheus", self.prometheus_url("/-/ready"))]
        if any(name == "alertmanager" for name, _ in self.processes):
            servers.append(("alertmanager", f"http://127.0.0.1:{self.alertmanager_port}/-/ready"))
        for name, url in servers:
            def ready(name=name, url=url):
                self._check_alive(name)
                return http_get(url) is not None
            wait_until(f"{name} ready at {url}", ready, limit)

    def _check_alive(self, name):
        for n, p in self.processes:
            if n == name and p.poll() is not None:
                raise AssertionError(f"{name} ended with {p.returncode}:\n{self.log_of(name)}")

    def exporter_url(self, path):
        return f"http://127.0.0.1:{self.exporter_port}{path}"

    def prometheus_url(self, path):
        return f"http://127.0.0.1:{self.prometheus_port}{path}"

    def query(self, promql):
        """The instant vector of a query: a list of (labels, value)."""
        url = self.prometheus_url("/api/v1/query?" + urllib.parse.urlencode({"query": promql}))
        answer = json.loads(http_get(url))
        if answer.get("status") != "success":
            raise ValueError(f"query {promql}: {answer}")
        return [(r["metric"], float(r["value"][1])) for r in answer["data"]["result"]]

    # --- passes under Wine ----------------------------------------------

    def metrics_file(self, name):
        return os.path.join(self.textfiles, name)

    def start_pass(self, case, environment, computer_name=None):
        """Runs one case of the metrics test program: in the GUI tests'
        prefix under this host's name, or with computer_name in the second
        prefix, in a UTS namespace of its own whose host name Wine takes for
        the computer's name when the prefix's session starts."""
        env = dict(os.environ, **WINE_ENV, **environment)
        name = f"pass-{case}-{len(self.processes)}"
        if computer_name is None:
            self.prefixes_used.append(os.path.join(self.build_dir, "wineprefix-gui"))
            return name, self._start(name, [os.path.join(self.build_dir, "gui-run.sh"), self.program,
                                            f"--gtest_filter=MetricsPass.{case}"], env)
        self._prepare_second_prefix()
        env["WINEPREFIX"] = self.second_prefix
        self.prefixes_used.append(self.second_prefix)
        # Its display is looked for from 150 up, apart from those of the
        # GUI tests (from 99 up), which may be starting at the same time.
        script = ('hostname "$1" && shift && exec xvfb-run -a -n 150 -s "$0" '
                  'sh -c \'wine "$@"; status=$?; wineserver -w; exit $status\' run "$@"')
        return name, self._start(name, ["unshare", "--uts", "sh", "-c", script, SCREEN, computer_name,
                                        self.program, f"--gtest_filter=MetricsPass.{case}"], env)

    def _prepare_second_prefix(self):
        env = dict(os.environ, **WINE_ENV, WINEPREFIX=self.second_prefix)
        if not os.path.exists(os.path.join(self.second_prefix, "system.reg")):
            # Like the GUI tests' prefix: windows on a virtual desktop.
            for command in (["wineboot", "-i"],
                            ["wine", "reg", "add", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/d", "Default",
                             "/f"],
                            ["wine", "reg", "add", r"HKCU\Software\Wine\Explorer\Desktops", "/v", "Default", "/d",
                             "1024x768", "/f"]):
                subprocess.run(command, env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               timeout=120)
        # The computer's name is taken when the prefix's server starts:
        # none may be left from outside the namespace.
        subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL, timeout=30)
        subprocess.run(["wineserver", "-w"], env=env, stderr=subprocess.DEVNULL, timeout=30)

    def finish_pass(self, started, limit=90):
        name, process = started
        try:
            status = process.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"{name} did not end within {limit} s:\n{self.log_of(name)}")
        if status != 0:
            raise AssertionError(f"{name} failed ({status}):\n{self.log_of(name)}")
        return self.log_of(name)

    # --- the end ----------------------------------------------------------

    def close(self):
        for _, process in reversed(self.processes):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for _, process in reversed(self.processes):
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait()
        for prefix in set(self.prefixes_used):
            # Wine servers and the programs of a pass that was cut short.
            subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=prefix),
                           stderr=subprocess.DEVNULL, timeout=30)
        shutil.rmtree(self.folder, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False
