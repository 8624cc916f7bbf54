#!/usr/bin/env python3
"""The include graph of src/ keeps its layers.

- src/protocol includes only src/protocol, the shared trace header, and Qt
  Core or the C++ library: no widget, no window, no network.
- src/link includes no window header (nor any Qt Widgets or Gui header).
- No header of the tree includes, directly or through others, itself: no
  include circle between modules (a .cpp and its .h form one module).
- Nothing below the windows includes a window's header.

Prints what it found and exits 1 on the first kind of fault.
usage: check_layers.py SRC_DIR
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
# Qt modules a layer may not reach, by the headers' own folders.
WIDGET_MODULES = ('QtWidgets', 'QtGui')
NETWORK_MODULES = ('QtNetwork', 'QtSerialPort')
# Headers shared by every layer: traces and display times, Qt Core only.
SHARED = {'logging.h', 'statustimes.h'}


def qt_class_module(name, qt_dirs):
    for module in os.listdir(qt_dirs) if qt_dirs else []:
        if os.path.exists(os.path.join(qt_dirs, module, name)):
            return module
    return None


def main():
    if len(sys.argv) != 2 or sys.argv[1] in ('-h', '--help'):
        print(__doc__.strip())
        return 0 if len(sys.argv) == 2 else 2
    src = os.path.abspath(sys.argv[1])
    qt_dirs = next((d for d in ('/usr/include/x86_64-linux-gnu/qt5', '/usr/include/qt5')
                    if os.path.isdir(d)), None)
    files = {}
    for folder, _, names in os.walk(src):
        for name in names:
            if name.endswith(('.h', '.cpp')):
                path = os.path.relpath(os.path.join(folder, name), src)
                with open(os.path.join(src, path), encoding='utf-8') as f:
                    files[path] = INCLUDE.findall(f.read())

    windows = {p for p in files if '/' not in p and p.endswith('.h') and p not in SHARED
               and p not in ('devicemodel.h', 'screenfit.h')}
    faults = []
    for path, includes in files.items():
        layer = path.split('/')[0] if '/' in path else None
        for kind, name in includes:
            if kind == '"':
                if name.startswith('ui_'):
                    if layer:
                        faults.append(f'{path}: includes a form ({name})')
                    continue
                if layer == 'protocol' and not (name.startswith('protocol/') or name in SHARED):
                    faults.append(f'{path}: the protocol includes "{name}"')
                if layer in ('protocol', 'link', 'platform') and name in windows:
                    faults.append(f'{path}: includes the window header "{name}"')
            else:
                module = qt_class_module(name, qt_dirs) if name.startswith('Q') else None
                if layer in ('protocol', 'link') and module in WIDGET_MODULES:
                    faults.append(f'{path}: includes <{name}> of {module}')
                if layer == 'protocol' and module in NETWORK_MODULES:
                    faults.append(f'{path}: the protocol includes <{name}> of {module}')

    # The module graph: a .cpp and its .h are one module.
    def module(path):
        return re.sub(r'(_replies)?\.(h|cpp)$', '', path)

    graph = {}
    for path, includes in files.items():
        here = module(path)
        for kind, name in includes:
            if kind == '"' and name in files and module(name) != here:
                graph.setdefault(here, set()).add(module(name))
    arrows = sum(len(v) for v in graph.values())
    circles = []
    state = {}

    def visit(node, trail):
        state[node] = 1
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == 1:
                circles.append(trail[trail.index(nxt):] + [nxt])
            elif nxt not in state:
                visit(nxt, trail + [nxt])
        state[node] = 2

    for node in sorted(graph):
        if node not in state:
            visit(node, [node])
    for circle in circles:
        faults.append('include circle: ' + ' -> '.join(circle))

    print(f'{len(files)} files, {len(graph)} modules with includes, {arrows} include arrows, '
          f'{len(circles)} circles, {len(faults)} faults')
    for fault in faults:
        print('  ' + fault)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
