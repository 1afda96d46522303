"""The README's render farm over a real SSH connection: GNU Parallel runs
ranges of frames here and on a second "machine", an sshd of the test's own
on 127.0.0.1 logged into as a throwaway user with a home of its own. One
remote job is killed mid-range (SIGKILL); the README's command run again
finishes the render, polytree-render --check passes, and every frame equals
one local run's byte for byte. Run from the source root, as root (it makes
the user and runs sshd):

  python3 -B -m tests.e2e.farm --render build/release/polytree-render --work DIR
"""

import argparse
import os
import pwd
import shutil
import socket
import subprocess
import sys
import time

from .x11 import SKIPPED, check, end_on_terminate, log, run_scenario, wait_for

RANGES = ["0000", "0010", "0020", "0030"]
# B3 L12 at 320x240 takes about 0.15 s a frame here: a remote range lasts
# long enough to be killed half-way, and the whole render stays short.
WORDS = "B3 L12 --size 320x240"
PATTERN = "part-*/turn-%04d.png"


def run(args, **kwargs):
    log("$ " + (args if isinstance(args, str) else " ".join(args)))
    return subprocess.run(args, check=True, **kwargs)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Farm:
    """A throwaway user, its keys, and an sshd for it on 127.0.0.1."""

    def __init__(self, work):
        self.work = work
        self.user = "ptfarm%d" % os.getpid()
        self.home = os.path.join(work, "home")
        self.etc = os.path.join(work, "etc")
        self.sshd = None

    def __enter__(self):
        os.makedirs(self.etc)
        os.makedirs(os.path.join(self.home, ".ssh"))
        run(["useradd", "--home-dir", self.home, "--no-create-home", "--shell", "/bin/sh",
             "--password", "*", self.user])  # '*': no password, but not locked for keys
        for key in ("host_key", "user_key"):
            run(["ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", os.path.join(self.etc, key)])
        shutil.copy(os.path.join(self.etc, "user_key.pub"), os.path.join(self.home, ".ssh", "authorized_keys"))
        entry = pwd.getpwnam(self.user)
        for folder, _, files in os.walk(self.home):
            for name in [folder] + [os.path.join(folder, f) for f in files]:
                os.chown(name, entry.pw_uid, entry.pw_gid)
        port = free_port()
        with open(os.path.join(self.etc, "sshd_config"), "w") as f:
            f.write("Port %d\nListenAddress 127.0.0.1\nHostKey %s/host_key\nPidFile %s/sshd.pid\n"
                    "AuthorizedKeysFile .ssh/authorized_keys\nPasswordAuthentication no\n"
                    "KbdInteractiveAuthentication no\nUsePAM no\nStrictModes no\nAllowUsers %s\n"
                    % (port, self.etc, self.etc, self.user))
        self.config = os.path.join(self.etc, "ssh_config")
        with open(self.config, "w") as f:
            f.write("Host farmbox\n  HostName 127.0.0.1\n  Port %d\n  User %s\n  IdentityFile %s/user_key\n"
                    "  IdentitiesOnly yes\n  StrictHostKeyChecking no\n  UserKnownHostsFile /dev/null\n"
                    "  LogLevel ERROR\n  BatchMode yes\n" % (port, self.user, self.etc))
        os.makedirs("/run/sshd", exist_ok=True)  # sshd's privilege separation
        self.sshd = subprocess.Popen(["/usr/sbin/sshd", "-D", "-f", os.path.join(self.etc, "sshd_config"),
                                      "-E", os.path.join(self.etc, "sshd.log")])
        wait_for(lambda: subprocess.run(["ssh", "-F", self.config, "farmbox", "true"],
                                        stderr=subprocess.DEVNULL).returncode == 0,
                 10, "sshd on 127.0.0.1:%d to let %s in" % (port, self.user))
        log("sshd on 127.0.0.1:%d, user %s, home %s" % (port, self.user, self.home))
        return self

    def __exit__(self, *exc):
        if self.sshd:
            self.sshd.terminate()
            self.sshd.wait(10)
        subprocess.run(["pkill", "-KILL", "-u", self.user], stderr=subprocess.DEVNULL)
        subprocess.run(["userdel", self.user], stderr=subprocess.DEVNULL)

    def parts_at_home(self):
        return sorted(name for name in os.listdir(self.home) if name.startswith("part-"))


def farm_command(farm, render):
    """The README's farm command, with this test's ssh and binary."""
    job = ("mkdir -p part-{} && %s %s --frame {} --frames 10 --resume -o \"part-{}/turn-%%04d.png\""
           % (render, WORDS))
    return ["parallel", "--will-cite", "--joblog", "farm.log", "--resume-failed",
            "--ssh", "ssh -F " + farm.config, "--sshlogin", "1/:,1/farmbox",
            "--return", "part-{}", "--rsync-opts", "-rlDzR --delete", job]


def scenario(work, built_render):
    # A copy the throwaway user may run, wherever the build lies.
    os.chmod(work, 0o755)
    bin_dir = os.path.join(work, "bin")
    os.makedirs(bin_dir)
    render = os.path.join(bin_dir, "polytree-render")
    shutil.copy(built_render, render)
    os.chmod(bin_dir, 0o755)

    ranges = "\n".join(RANGES) + "\n"
    reference = os.path.join(work, "reference")
    os.makedirs(reference)
    run([render] + WORDS.split() + ["--frames", "40", "-o", os.path.join(reference, "turn-%04d.png")])

    with Farm(work) as farm:
        here = os.path.join(work, "here")
        os.makedirs(here)
        command = farm_command(farm, render)
        started = time.monotonic()
        first = subprocess.Popen(command, cwd=here, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL)
        first.stdin.write(ranges.encode())
        first.stdin.close()

        def half_way():
            drawn = [os.path.join(farm.home, part, name) for part in farm.parts_at_home()
                     for name in os.listdir(os.path.join(farm.home, part)) if name.startswith("turn-")]
            return len(drawn) >= 3
        wait_for(half_way, 60, "a remote job to draw three frames", interval=0.02)
        killed = subprocess.run(["pkill", "-KILL", "-u", farm.user, "-f", "polytree-render"]).returncode == 0
        check(killed, "no remote polytree-render to kill: the remote job ended too soon")
        log("killed the remote job with SIGKILL")
        code = first.wait(120)
        log("first run: exit %d in %.1f s" % (code, time.monotonic() - started))
        check(code != 0, "GNU Parallel did not report the killed job")
        left = [name for part in sorted(os.listdir(here)) if part.startswith("part-")
                for name in os.listdir(os.path.join(here, part)) if name.startswith(".")]
        log("the killed job left here: %s" % (left or "nothing"))
        check(left, "--return brought no temporary file of the killed job home")

        started = time.monotonic()
        run(command, cwd=here, input=ranges.encode(), stdout=subprocess.DEVNULL)
        log("the same command again: done in %.1f s" % (time.monotonic() - started))
        with open(os.path.join(here, "farm.log")) as f:
            log("job log:\n" + f.read().rstrip())

        # The README's last step: the remote copies go.
        check(farm.parts_at_home(), "no remote copies to remove: did any job run over ssh?")
        run(["parallel", "--will-cite", "--ssh", "ssh -F " + farm.config, "--nonall", "--sshlogin", "farmbox",
             "rm -rf part-[0-9]*"])
        check(not farm.parts_at_home(), "remote copies left: %s" % farm.parts_at_home())

        result = subprocess.run([render, "--check", PATTERN, "--frames", "40"], cwd=here, stdout=subprocess.PIPE)
        log("--check: " + result.stdout.decode().strip().splitlines()[-1])
        check(result.returncode == 0, "--check found the range not whole:\n" + result.stdout.decode())
        differing = []
        for frame in range(40):
            name = "turn-%04d.png" % frame
            with open(os.path.join(here, "part-%04d" % (frame // 10 * 10), name), "rb") as f:
                farmed = f.read()
            with open(os.path.join(reference, name), "rb") as f:
                if f.read() != farmed:
                    differing.append(name)
        check(not differing, "frames that differ from one local run's: %s" % differing)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--render", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--deadline", type=int, default=0)
    options = parser.parse_args()
    missing = [tool for tool in ("/usr/sbin/sshd", "rsync", "parallel", "useradd")
               if not shutil.which(tool)]
    if os.geteuid() != 0 or missing:
        print("skipped: the farm test makes a user and runs sshd: it needs root%s"
              % (" and " + ", ".join(missing) if missing else ""))
        return SKIPPED
    work = os.path.join(os.path.abspath(options.work), "farm")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    render = os.path.abspath(options.render)
    return run_scenario("farm", lambda: scenario(work, render), options.deadline)


if __name__ == "__main__":
    end_on_terminate()
    sys.exit(main())
