"""What each thread of a process has used so far, from /proc, and what the threads used between
two readings. A thread that ended between the readings takes its counts with it and one that
began counts from nought, so the figure never runs backwards when a thread ends."""
import os


def read(pid):
    """{thread: (processor nanoseconds, context switches)} for every thread of pid now."""
    counts = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            ns = int(open(f"/proc/{pid}/task/{task}/schedstat").read().split()[0])
            lines = open(f"/proc/{pid}/task/{task}/status").readlines()
        except OSError:
            continue  # the thread ended meanwhile
        counts[task] = (ns, sum(int(l.split()[1]) for l in lines if "ctxt_switches" in l))
    return counts


def since(before, after):
    """(processor nanoseconds, context switches) the threads of `after` used since `before`."""
    ns = switches = 0
    for task, (n, s) in after.items():
        n0, s0 = before.get(task, (0, 0))
        ns += n - n0
        switches += s - s0
    return ns, switches
