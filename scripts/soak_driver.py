#!/usr/bin/python3
"""The soak itself, started by scripts/soak.sh on a virtual desktop of its own (DISPLAY set).

It makes a catalogue of its own songs with lyrics, runs a sound server (a null sink) and
lumiqo-server of its own, starts the player, plays the start list from its first row and, while
the player plays on, minimises it to the tray and restores it, hides and shows the lyrics window,
reloads the list and restarts the sound server, each every few minutes. Every minute it writes a
row to soak.csv (memory, descriptors, threads, CPU of the player, the sound server and the X
server). At the end it closes the player from the tray menu, writes songs.csv, events.log and
summary.txt and draws soak.png.

How it tells that every song change was on time: the server's log is stamped as it arrives; each
song change is one request for the stream cookies, followed by the song's stream. A change is on
time when it comes between 1 s before and 3 s after the previous song's length, counted from the
previous change (the advance check ticks once a second; a loaded machine adds its share), or, when the sound server was restarted
during the song (which ends it), within 8 s of the restart.
How it tells that nothing went wrong: the player writes nothing (its output goes to player.log,
stamped as it comes), it lives until it is closed and then ends by itself, every request is
answered with 200 or 206, every change of song fetches its stream, the null sink's monitor never
falls silent for more than 6 s (outside a restart of the sound server), and every minimise, restore
and list reload does what it should (a restore maps the main window once and never unmaps it again).
"""

import argparse
import array
import csv
import os
import re
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import threading
import time
import urllib.request

# file, title, artist, format, seconds, frequency
SONGS = [
    ("s01", "晨光", "测试乐队", "cbr", 52, 440),
    ("s02", "晚风", "测试乐队", "vbr", 67, 523),
    ("s03", "星河", "另一位歌手", "wma", 45, 587),
    ("s04", "长路", "另一位歌手", "cbr", 74, 392),
    ("s05", "雨夜 Rain", "第三位歌手", "vbr", 58, 494),
    ("s06", "海风", "第三位歌手", "wma", 81, 659),
]
EXT = {"cbr": ".mp3", "vbr": ".mp3", "wma": ".wma"}
CODEC = {"cbr": ["-c:a", "libmp3lame", "-b:a", "128k"], "vbr": ["-c:a", "libmp3lame", "-q:a", "2"],
         "wma": ["-c:a", "wmav2", "-b:a", "128k"]}
EARLY, LATE, AFTER_RESTART, SILENCE = 1.0, 4.0, 8.0, 6.0
HZ = os.sysconf("SC_CLK_TCK")
# One line of the server's access log: time, method, path, status, bytes, milliseconds.
ACCESS = re.compile(r"(?:\S+Z )?(?P<method>[A-Z]+) (?P<path>\S+) (?P<status>\S+) (?P<bytes>\d+) (?P<ms>[\d.]+)$")


def now():
    return time.monotonic()


class Soak:
    def __init__(self, args):
        self.a = args
        self.out = args.out
        self.t0 = now()
        self.events = []      # (time, kind, text)
        self.errors = []      # (time, text)
        self.server_lines = []  # (arrival time, line)
        self.restarts = []    # times the sound server was stopped
        self.lock = threading.Lock()
        self.pulse = self.server = self.player = self.parec = self.bus = None
        self.stopping = False
        self.loud = self.blocks = 0
        self.silent_since = None
        self.run = os.path.join(self.out, "run")
        for d in ("run", "home", "data", "config", "pulse", "music"):
            os.makedirs(os.path.join(self.out, d), exist_ok=True)
        os.chmod(self.run, 0o700)
        self.env = dict(os.environ)
        for k in ("DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER", "LUMIQO_SERVER"):
            self.env.pop(k, None)
        self.env.update(XDG_RUNTIME_DIR=self.run, HOME=os.path.join(self.out, "home"),
                        XDG_DATA_HOME=os.path.join(self.out, "data"),
                        XDG_CONFIG_HOME=os.path.join(self.out, "config"),
                        PULSE_RUNTIME_PATH=os.path.join(self.out, "pulse"),
                        PULSE_SERVER="unix:" + os.path.join(self.out, "pulse", "native"),
                        QT_QPA_PLATFORM="xcb", LUMIQO_AUDIO_DEVICE="-1")

    # --- log -------------------------------------------------------------------------------
    def at(self, t=None):
        return (now() if t is None else t) - self.t0

    def event(self, kind, text=""):
        self.events.append((now(), kind, text))

    def error(self, text, t=None):
        t = now() if t is None else t
        with self.lock:
            self.errors.append((t, text))
        print(f"soak: {self.at(t) / 60:6.1f} min: ERROR {text}", flush=True)

    # --- set-up ----------------------------------------------------------------------------
    def start_bus(self):
        """A session bus of our own: the player's media controls and tray use one, and without
        one the D-Bus library would start a bus of its own that outlives the run."""
        self.bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=self.env)
        address = self.bus.stdout.readline().decode().strip()
        if not address:
            raise RuntimeError("the session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def make_catalogue(self):
        music = os.path.join(self.out, "music")
        for name, title, artist, fmt, seconds, freq in SONGS:
            target = os.path.join(music, name + EXT[fmt])
            if not os.path.exists(target):
                subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                f"sine=frequency={freq}:duration={seconds}", "-af", "tremolo=f=2:d=0.4",
                                "-ac", "2", "-ar", "44100", *CODEC[fmt], "-metadata", f"title={title}",
                                "-metadata", f"artist={artist}", target], check=True)
            lines = [f"[{t // 60:02d}:{t % 60:02d}.00]{title} 第{t // 4 + 1}句" for t in range(0, seconds - 2, 4)]
            with open(os.path.join(music, name + ".lrc"), "w", encoding="utf-8") as f:
                f.write("\r\n".join(lines) + "\r\n")
        with open(os.path.join(music, "catalogue.ini"), "w") as f:
            f.write("[start]\r\n" + "".join(s[0] + EXT[s[3]] + "\r\n" for s in SONGS))
        db = os.path.join(self.out, "catalogue.db")
        if os.path.exists(db):
            os.remove(db)
        subprocess.run([os.path.join(self.a.app, "lumiqo-server"), "import", music, "--db", db],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return db

    def start_server(self, db):
        s = socket.socket()
        s.bind(("127.0.0.1", 0))
        self.port = s.getsockname()[1]
        s.close()
        self.server = subprocess.Popen([os.path.join(self.a.app, "lumiqo-server"), "serve", "--db", db, "--listen",
                                        f"127.0.0.1:{self.port}"], stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        threading.Thread(target=self.read_server, daemon=True).start()
        base = f"http://127.0.0.1:{self.port}"
        for _ in range(200):
            try:
                listing = urllib.request.urlopen(base + "/soft/mlist0.asp", timeout=2).read().decode("gbk")
                break
            except OSError:
                time.sleep(0.1)
        else:
            raise RuntimeError("lumiqo-server does not answer")
        # The song of each catalogue link, by title.
        self.length = {}
        for line in listing.splitlines():
            fields = line.split(",")
            for s in SONGS:
                if len(fields) >= 3 and fields[0] == s[1]:
                    self.length[fields[2].strip()] = s[4]
        if len(self.length) != len(SONGS):
            raise RuntimeError(f"the start list holds {len(self.length)} of the {len(SONGS)} songs")

    def read_player(self):
        """Whatever the player writes is an error, stamped as it arrives so that it can be set
        beside the events (a warning at a restore, say)."""
        with open(os.path.join(self.out, "player.log"), "w") as log:
            for raw in self.player.stdout:
                t = now()
                line = raw.decode("utf-8", "replace").rstrip()
                log.write(f"{self.at(t):10.3f} {line}\n")
                log.flush()
                if line.strip():
                    self.error("player said: " + line.strip(), t)

    def read_server(self):
        with open(os.path.join(self.out, "server.log"), "w") as log:
            for raw in self.server.stderr:
                t = now()
                line = raw.decode("utf-8", "replace").rstrip()
                with self.lock:
                    self.server_lines.append((t, line))
                log.write(f"{self.at(t):10.3f} {line}\n")
                log.flush()

    def start_pulse(self):
        sock = os.path.join(self.out, "pulse", "native")
        if os.path.exists(sock):
            os.remove(sock)
        log = open(os.path.join(self.out, "pulse.log"), "a")
        self.pulse = subprocess.Popen(
            ["pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit=yes", "--system=no",
             "--use-pid-file=no", "-n", f"--load=module-native-protocol-unix socket={sock} auth-anonymous=1",
             "--load=module-null-sink sink_name=soak_null", "--load=module-always-sink"],
            env=self.env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        for _ in range(100):
            if subprocess.run(["pactl", "info"], env=self.env, capture_output=True).returncode == 0:
                subprocess.run(["pactl", "set-default-sink", "soak_null"], env=self.env, capture_output=True)
                return
            time.sleep(0.1)
        raise RuntimeError("the sound server did not start")

    def stop_pulse(self):
        self.pulse.terminate()
        try:
            self.pulse.wait(10)
        except subprocess.TimeoutExpired:
            self.pulse.kill()
            self.pulse.wait()

    # --- the null sink's monitor: is anything heard? -----------------------------------------
    def listen(self):
        while not self.stopping:
            self.parec = subprocess.Popen(["parec", "-d", "soak_null.monitor", "--raw", "--format=s16le",
                                           "--channels=1", "--rate=8000", "--latency-msec=100"],
                                          env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            while True:
                block = self.parec.stdout.read(1600)  # 100 ms
                if len(block) < 1600:
                    break
                samples = array.array("h")
                samples.frombytes(block)
                loud = max(max(samples), -min(samples)) > 300
                t = now()
                with self.lock:
                    self.blocks += 1
                    if loud:
                        self.loud += 1
                        if self.silent_since is not None:
                            self.silence_ended(self.silent_since, t)
                        self.silent_since = None
                    elif self.silent_since is None:
                        self.silent_since = t
            self.parec.wait()
            with self.lock:
                self.silent_since = None  # the sound server went away: nothing is known
            time.sleep(0.5)

    def silence_ended(self, start, end):  # under the lock
        if end - start <= SILENCE or self.stopping:
            return
        if any(r - 1 <= end and start <= r + AFTER_RESTART + 2 for r in self.restarts):
            return
        self.errors.append((start, f"silent for {end - start:.1f} s"))
        print(f"soak: {self.at(start) / 60:6.1f} min: ERROR silent for {end - start:.1f} s", flush=True)

    # --- the desktop -----------------------------------------------------------------------
    def xdo(self, *args):
        return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, timeout=30).stdout

    def window(self, name):
        ids = self.xdo("search", "--onlyvisible", "--name", f"^{name}$").split()
        return ids[0] if ids else None

    def info(self, w):
        return subprocess.run(["xwininfo", "-id", w], capture_output=True, text=True, timeout=30).stdout

    def geometry(self, w):
        text = self.info(w)
        g = [int(re.search(p + r":\s+(-?\d+)", text).group(1))
             for p in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")]
        return g

    def viewable(self, w):
        return "IsViewable" in self.info(w)

    def click(self, w, x, y, button=1, repeat=1):
        # The clicks of a double click 50 ms apart: xdotool held up on a loaded machine must
        # not stretch them beyond the double-click interval (400 ms) and make two single clicks.
        wx, wy, _, _ = self.geometry(w)
        self.xdo("mousemove", wx + x, wy + y, "sleep", "0.15", "click", "--repeat", repeat, "--delay", 50, button)

    def wait_for(self, seconds, check):
        end = now() + seconds
        while now() < end:
            if check():
                return True
            time.sleep(0.1)
        return check()

    def tray_icon(self):
        for w in self.xdo("search", "--class", "lumiqo").split():
            if "Width: 22" in self.info(w):
                return w
        return None

    # --- the player ------------------------------------------------------------------------
    def start_player(self):
        env = dict(self.env, LUMIQO_SERVER=f"127.0.0.1:{self.port}")
        self.player = subprocess.Popen([os.path.join(self.a.app, "lumiqo")], env=env, stdin=subprocess.DEVNULL,
                                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.player_reader = threading.Thread(target=self.read_player, daemon=True)
        self.player_reader.start()
        names = {"main": "Lumiqo", "lyrics": "Lumiqo 歌词", "list": "Lumiqo 播放列表"}
        self.w = {}
        for key, name in names.items():
            if not self.wait_for(30, lambda: self.window(name)):
                raise RuntimeError(f"the window {name} never appeared")
            self.w[key] = self.window(name)
        time.sleep(2)  # the fade-in
        self.click(self.w["list"], 120, 82, 1, 2)  # a double-click on the first row plays it
        if not self.wait_for(30, lambda: self.stream_starts()):
            raise RuntimeError("the first song never started")
        self.event("play", "the first row")

    def stream_starts(self):
        with self.lock:
            return [t for t, line in self.server_lines if re.search(r"GET /(19z|21z|music)/", line)]

    def minimise_and_restore(self):
        main = self.w["main"]
        self.click(main, 147, 113)
        self.event("minimise")
        if not self.wait_for(10, lambda: not self.viewable(main)):
            return self.error("the main window stayed after minimise")
        time.sleep(15)
        icon = self.tray_icon()
        if not icon:
            return self.error("no tray icon")
        # The main window's maps and unmaps during the restore: one map is a restore, a map
        # followed by an unmap is a window the player hid again (which may leave it withdrawn),
        # none at all is a double click that did nothing.
        trace = subprocess.Popen(["xev", "-id", main, "-event", "structure"], stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL, text=True)
        time.sleep(0.5)  # xev selects the window's events before the click
        self.click(icon, 11, 11, 1, 2)
        self.event("restore")
        restored = self.wait_for(10, lambda: self.viewable(main))
        time.sleep(1)  # what comes after the map: a fade-in that hides the window again
        trace.terminate()
        maps = [line.split()[0] for line in trace.communicate()[0].splitlines()
                if line.startswith(("MapNotify", "UnmapNotify"))]
        if "UnmapNotify" in maps:
            self.error(f"the restore unmapped the main window again ({' '.join(maps)})")
        if restored:
            return
        # Say what the window looked like, then try once more: a lost double-click and a
        # window that will not come back are different faults.
        state = subprocess.run(["xprop", "-id", main, "WM_STATE", "_NET_WM_STATE", "_NET_WM_WINDOW_OPACITY"],
                               capture_output=True, text=True).stdout.replace("\n", "; ")
        state += "; maps and unmaps: " + (" ".join(maps) or "none")
        shot = os.path.join(self.out, f"restore-failed-{int(self.at() / 60)}min.png")
        subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "x11grab", "-video_size", "1280x800", "-i",
                        os.environ.get("DISPLAY", ":0"), "-frames:v", "1", shot], capture_output=True)
        self.click(icon, 11, 11, 1, 2)
        again = self.wait_for(10, lambda: self.viewable(main))
        self.error(f"no restore from the tray's double-click ({state.strip()}; screenshot {shot}); "
                   + ("a second double-click restored it" if again else "a second one did not either"))

    def toggle_lyrics(self):
        self.click(self.w["main"], 87, 22)
        self.event("lyrics off")
        time.sleep(10)
        self.click(self.w["main"], 87, 22)
        self.event("lyrics on")

    def reload_list(self):
        with self.lock:
            before = len(self.server_lines)
        self.click(self.w["list"], 40, 40)  # the 推荐列表 tab
        self.event("reload")

        def requested():
            with self.lock:
                return any("GET /soft/mlist0.asp" in line for _, line in self.server_lines[before:])
        if not self.wait_for(10, requested):
            self.error("the 推荐列表 tab requested no list")

    def restart_sound_server(self):
        t = now()
        self.restarts.append(t)
        self.stop_pulse()
        self.event("sound server restart")
        self.start_pulse()

    def close_player(self):
        icon = self.tray_icon()
        if icon:
            self.click(icon, 11, 11, 3)  # the tray menu; its last item is 退出系统
            time.sleep(0.7)
            self.xdo("key", "Up", "sleep", "0.2", "key", "Return")
        try:
            code = self.player.wait(20)
            if code != 0:
                self.error(f"the player ended with status {code}")
        except subprocess.TimeoutExpired:
            self.error("the player did not end from the tray menu's 退出系统")
            self.player.kill()
            self.player.wait()

    # --- figures ---------------------------------------------------------------------------
    def proc(self, pid):
        try:
            fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
            return (int(fields[11]) + int(fields[12])) / HZ
        except OSError:
            return None

    def sample(self, prev):
        pid = self.player.pid
        status = open(f"/proc/{pid}/status").read()
        kb = lambda key: int(re.search(key + r":\s+(\d+)", status).group(1))
        pss = sum(int(l.split()[1]) for l in open(f"/proc/{pid}/smaps_rollup") if l.startswith("Pss:"))
        t = now()
        cpu = {"player": self.proc(pid), "pulse": self.proc(self.pulse.pid), "x": self.proc(self.a.xserver_pid)}
        with self.lock:
            loud, blocks = self.loud, self.blocks
            self.loud = self.blocks = 0
        row = {"minute": round(self.at(t) / 60, 2), "rss_mb": round(kb("VmRSS") / 1024, 2),
               "pss_mb": round(pss / 1024, 2), "hwm_mb": round(kb("VmHWM") / 1024, 2),
               "fds": len(os.listdir(f"/proc/{pid}/fd")), "threads": kb("Threads"),
               "songs": len(self.song_changes()), "errors": len(self.errors),
               "audible_pct": round(100 * loud / blocks, 1) if blocks else "",
               "load1": os.getloadavg()[0]}
        for k in ("player", "pulse", "x"):
            ok = prev and cpu[k] is not None and prev["cpu"][k] is not None and (k != "pulse" or
                                                                                  prev["pulse_pid"] == self.pulse.pid)
            row[k + "_cpu_pct"] = round((cpu[k] - prev["cpu"][k]) / (t - prev["t"]) * 100, 2) if ok else ""
        return row, {"t": t, "cpu": cpu, "pulse_pid": self.pulse.pid}

    def song_changes(self):
        """(time of the cookie request, link of the stream that followed or None), in order."""
        with self.lock:
            lines = list(self.server_lines)
        changes = []
        for t, line in lines:
            request = ACCESS.match(line)
            if not request:
                continue
            start = t - float(request["ms"]) / 1000  # the line is written when the reply ends
            if request["path"] == "/getuuauthcode/":
                changes.append([start, None])
            m = re.match(r"/(?:19z|21z|music)/(\w+)\.\w+$", request["path"])
            if m and changes and changes[-1][1] is None and start - changes[-1][0] < 10:
                changes[-1][1] = m.group(1)
        return changes

    def check_server(self):
        with self.lock:
            lines = list(self.server_lines)
        for t, line in lines[1:]:  # after the line that says where it serves
            request = ACCESS.match(line)
            if not request or request["status"] not in ("200", "206"):
                self.errors.append((t, "server: " + line))

    def check_songs(self, end):
        rows = []
        changes = self.song_changes()
        for i, (t, link) in enumerate(changes):
            row = {"minute": round(self.at(t) / 60, 2), "link": link or "", "seconds": self.length.get(link, ""),
                   "next_after_s": "", "late_s": "", "restart": "", "verdict": "ok"}
            if link is None:
                row["verdict"] = "no stream"
                self.errors.append((t, "a song change fetched no stream"))
            elif i + 1 < len(changes) or end - t > self.length[link] + LATE + 5:
                nxt = changes[i + 1][0] if i + 1 < len(changes) else None
                restart = [r for r in self.restarts if t < r < (nxt or end)]
                row["restart"] = "yes" if restart else ""
                if nxt is None:
                    row["verdict"] = "no next song"
                else:
                    gap = nxt - t
                    row["next_after_s"] = round(gap, 2)
                    row["late_s"] = round(gap - self.length[link], 2)
                    on_time = -EARLY <= gap - self.length[link] <= LATE
                    if restart and not on_time:
                        on_time = nxt - restart[0] <= AFTER_RESTART
                        row["verdict"] = "ok (after a sound-server restart)" if on_time else "late"
                    elif not on_time:
                        row["verdict"] = "late" if gap > self.length[link] else "early"
                if not row["verdict"].startswith("ok"):
                    self.errors.append((t, f"song change at {row['minute']} min: {row['verdict']}"))
            rows.append(row)
        return rows

    # --- the run ---------------------------------------------------------------------------
    def play(self):
        a = self.a
        minute = 60.0
        every = {"tray": a.tray_every, "reload": a.reload_every, "lyrics": a.lyrics_every,
                 "sound": a.sound_restart_every}
        action = {"tray": self.minimise_and_restore, "reload": self.reload_list, "lyrics": self.toggle_lyrics,
                  "sound": self.restart_sound_server}
        start = now()
        due = {k: start + v * minute for k, v in every.items() if v > 0}
        end = start + a.minutes * minute
        csv_file = open(os.path.join(self.out, "soak.csv"), "w", newline="")
        columns = ["minute", "rss_mb", "pss_mb", "hwm_mb", "fds", "threads", "player_cpu_pct", "pulse_cpu_pct",
                   "x_cpu_pct", "songs", "errors", "audible_pct", "load1"]
        writer = csv.DictWriter(csv_file, columns)
        writer.writeheader()
        row, prev = self.sample(None)
        writer.writerow(row)
        next_sample = now() + a.sample_seconds
        self.rows = [row]
        while now() < end:
            if self.player.poll() is not None:
                self.error(f"the player ended by itself (status {self.player.returncode})")
                break
            if now() >= next_sample:
                row, prev = self.sample(prev)
                writer.writerow(row)
                csv_file.flush()
                self.rows.append(row)
                next_sample += a.sample_seconds
                print(f"soak: {row['minute']:6.1f} min: RSS {row['rss_mb']} MB, {row['fds']} fds, "
                      f"{row['threads']} threads, CPU {row['player_cpu_pct']} %, {row['songs']} songs, "
                      f"{row['errors']} errors", flush=True)
                continue
            kind = min(due, key=due.get) if due else None
            if kind and now() >= due[kind]:
                action[kind]()
                due[kind] += every[kind] * minute
                continue
            time.sleep(0.5)
        csv_file.close()

    def finish(self):
        self.stopping = True
        if self.player.poll() is None:
            self.close_player()
        end = now()
        songs = self.check_songs(end)
        self.check_server()
        self.player_reader.join(10)  # the player has ended: its output ends too
        with open(os.path.join(self.out, "songs.csv"), "w", newline="") as f:
            w = csv.DictWriter(f, ["minute", "link", "seconds", "next_after_s", "late_s", "restart", "verdict"])
            w.writeheader()
            w.writerows(songs)
        with open(os.path.join(self.out, "events.log"), "w") as f:
            for t, kind, text in self.events:
                f.write(f"{self.at(t) / 60:8.2f} min  {kind} {text}\n")
        summary = self.summary(songs)
        with open(os.path.join(self.out, "summary.txt"), "w") as f:
            f.write(summary)
        print(summary, end="")
        self.plot()
        return 0 if summary.count("FAIL") == 0 else 1

    def summary(self, songs):
        out = []
        verdict = lambda good: "ok" if good else "FAIL"
        rows = self.rows
        late = [r for r in rows if r["minute"] >= 10]
        out.append(f"soak of {self.a.minutes} min: {len(rows)} samples, {len(songs)} song changes, "
                   f"{len(self.restarts)} sound-server restarts")
        if len(late) >= 2:
            first, last = late[:10], late[-10:]
            base, final = statistics.median(r["rss_mb"] for r in first), statistics.median(r["rss_mb"] for r in last)
            growth = (final - base) / base * 100
            peak = max(r["rss_mb"] for r in late)
            out.append(f"{verdict(growth < 1)} resident memory after 10 min: {base:.1f} MB -> {final:.1f} MB "
                       f"(medians of the first and last ten samples: {growth:+.2f} %), highest {peak:.1f} MB, "
                       f"PSS {late[0]['pss_mb']} -> {late[-1]['pss_mb']} MB")
            # A stream holds a connection and its reading thread until it has all the file, so
            # a sample may fall before or after that: flat means the end never reaches above
            # what the start reached.
            for key in ("fds", "threads"):
                a, b = [r[key] for r in first], [r[key] for r in last]
                out.append(f"{verdict(max(b) <= max(a))} {key} after 10 min: first ten samples "
                           f"{min(a)}..{max(a)}, last ten {min(b)}..{max(b)}, all {min(r[key] for r in late)}.."
                           f"{max(r[key] for r in late)}")
            for key in ("player", "pulse", "x"):
                values = [r[key + "_cpu_pct"] for r in rows if r[key + "_cpu_pct"] != ""]
                if values:
                    out.append(f"   CPU of {key}: median {statistics.median(values):.2f} %, "
                               f"{min(values):.2f}..{max(values):.2f} % of a core")
            loads = [r["load1"] for r in rows]
            out.append(f"   load average during the run: {min(loads):.1f}..{max(loads):.1f}")
        else:
            out.append("FAIL too short to judge growth (needs more than 10 min)")
        timed = [s for s in songs if s["late_s"] != ""]
        bad = [s for s in songs if not s["verdict"].startswith("ok")]
        if timed:
            lateness = [s["late_s"] for s in timed if not s["restart"]]
            spread = (f"next song {min(lateness):+.2f}..{max(lateness):+.2f} s after the length, median "
                      f"{statistics.median(lateness):+.2f} s") if lateness else ""
            out.append(f"{verdict(not bad)} song changes on time: {len(songs) - len(bad)} of {len(songs)}; {spread}")
        else:
            out.append("FAIL no song change to judge")
        played = {}
        for s in songs:
            played[s["link"]] = played.get(s["link"], 0) + 1
        out.append("   plays per song: " + ", ".join(f"{link or 'none'} ({self.length.get(link, '?')} s) x{n}"
                                                     for link, n in sorted(played.items())))
        out.append(f"{verdict(not self.errors)} errors: {len(self.errors)}")
        for t, text in sorted(self.errors)[:50]:
            out.append(f"   {self.at(t) / 60:7.2f} min  {text}")
        out.append(f"files: {self.out}/soak.csv, soak.png, songs.csv, events.log, player.log, server.log")
        return "\n".join(out) + "\n"

    def plot(self):
        if not shutil.which("gnuplot"):
            print("soak: no gnuplot, no plot", file=sys.stderr)
            return
        script = """
set terminal pngcairo size 1200,1000 font 'sans,10'
set output 'soak.png'
set datafile separator ','
set datafile missing ''
set key outside right
set grid
set xlabel 'minutes'
set multiplot layout 4,1 title 'Lumiqo soak'
set ylabel 'MB'
plot 'soak.csv' skip 1 using 1:2 with lines title 'RSS', '' skip 1 using 1:3 with lines title 'PSS'
set ylabel 'count'
plot 'soak.csv' skip 1 using 1:5 with steps title 'descriptors', '' skip 1 using 1:6 with steps title 'threads'
set ylabel '% of a core'
plot 'soak.csv' skip 1 using 1:7 with lines title 'player', '' skip 1 using 1:8 with lines title 'sound server', \\
     '' skip 1 using 1:9 with lines title 'X server'
set ylabel 'songs, errors'
plot 'soak.csv' skip 1 using 1:10 with steps title 'songs', '' skip 1 using 1:11 with steps title 'errors'
unset multiplot
"""
        subprocess.run(["gnuplot"], input=script, text=True, cwd=self.out)

    def stop_all(self):
        self.stopping = True
        for p in (self.player, self.parec, self.server, self.pulse, self.bus):
            if p is not None and p.poll() is None:
                p.terminate()
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    env = lambda name, default: float(os.environ.get(name, default))
    ap.add_argument("--app", required=True, help="the program folder: lumiqo, lumiqo-server, skin/, inc/")
    ap.add_argument("--out", required=True)
    ap.add_argument("--minutes", type=float, default=135)
    ap.add_argument("--xserver-pid", type=int, required=True)
    ap.add_argument("--tray-every", type=float, default=env("SOAK_TRAY_EVERY", 3))
    ap.add_argument("--reload-every", type=float, default=env("SOAK_RELOAD_EVERY", 8))
    ap.add_argument("--lyrics-every", type=float, default=env("SOAK_LYRICS_EVERY", 5))
    ap.add_argument("--sound-restart-every", type=float, default=env("SOAK_SOUND_RESTART_EVERY", 7))
    ap.add_argument("--sample-seconds", type=float, default=env("SOAK_SAMPLE_SECONDS", 60))
    soak = Soak(ap.parse_args())
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        soak.start_bus()
        soak.start_pulse()
        soak.start_server(soak.make_catalogue())
        threading.Thread(target=soak.listen, daemon=True).start()
        soak.start_player()
        soak.t0 = now()  # minutes count from the first song
        soak.play()
        return soak.finish()
    except (RuntimeError, subprocess.CalledProcessError) as e:
        print(f"soak: {e}", file=sys.stderr)
        return 2
    finally:
        soak.stop_all()


if __name__ == "__main__":
    sys.exit(main())
