"""The ports the end-to-end scripts give their daemons."""
import random
import socket


def free_port():
    """A port free on every address, below the system's range of ephemeral
    ports, so that no client connection of a test running beside this one
    can take it between this check and the daemon's bind."""
    lowest = int(open("/proc/sys/net/ipv4/ip_local_port_range").read().split()[0])
    for port in random.sample(range(10000, lowest), 200):
        try:
            with socket.create_server(("0.0.0.0", port)), socket.create_server(("::", port), family=socket.AF_INET6):
                return port
        except OSError:
            continue
    raise RuntimeError("no free port")
