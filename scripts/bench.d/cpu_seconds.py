# CPU seconds (user + system) that a command takes, its output dropped; sourced by the
# benchmarks that time a native tool:  python3 cpu_seconds.py PROGRAM [ARGUMENTS...]
import resource, subprocess, sys

before = resource.getrusage(resource.RUSAGE_CHILDREN)
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
after = resource.getrusage(resource.RUSAGE_CHILDREN)
print('%.3f' % (after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime))
