"""Starting and stopping a test server that runs in the background for a
whole test program: the server script's own "serve" command runs in a child
process of its own session; its process id is kept in FOLDER/pid."""
import os
import signal
import subprocess
import sys
import time


def launch(script, folder, serve_args, ready_file, name):
    """Starts `script serve FOLDER *serve_args` and waits (at most 20 s) for
    FOLDER/ready_file, which the server writes once it listens. 0 or 1."""
    child = subprocess.Popen([sys.executable, script, "serve", folder, *serve_args],
                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=open(os.path.join(folder, "server.log"), "wb"),
                             start_new_session=True)
    with open(os.path.join(folder, "pid"), "w") as f:
        f.write(str(child.pid))
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        if os.path.exists(os.path.join(folder, ready_file)):
            return 0
        if child.poll() is not None:
            print(name + " ended early; see server.log", file=sys.stderr)
            return 1
        time.sleep(0.05)
    print(name + " did not start", file=sys.stderr)
    child.kill()
    return 1


def stop(folder):
    """Ends the server started for FOLDER, if any. Always 0."""
    try:
        with open(os.path.join(folder, "pid")) as f:
            pid = int(f.read())
    except FileNotFoundError:
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    os.remove(os.path.join(folder, "pid"))
    return 0


def main(serve, start):
    """The command line of a server script: `serve FOLDER [args]` runs the
    server, `start FOLDER` launches it in the background, `stop FOLDER`
    ends it."""
    command, folder = sys.argv[1], sys.argv[2]
    if command == "serve":
        serve(folder, *sys.argv[3:])
    elif command == "start":
        sys.exit(start(folder))
    elif command == "stop":
        sys.exit(stop(folder))
