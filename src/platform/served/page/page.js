'use strict';
// The served windows' page: one canvas per window, fed whole frames over a
// WebSocket. A frame is drawn at the next animation frame and only then
// acknowledged, which is what lets the program send the next one.
(() => {
  const token = new URLSearchParams(location.search).get('token') || '';
  const socketAddress = (location.protocol === 'https:' ? 'wss://' : 'ws://') + location.host +
      '/socket?token=' + encodeURIComponent(token);
  const windows = new Map();  // number -> what the page shows of it
  const statusBadge = document.getElementById('status');
  const paceText = document.getElementById('pace');
  const list = document.getElementById('windows');
  const closeButton = document.getElementById('close');
  let socket = null;
  let program = document.title;
  let helpLines = [];
  let helpShown = false;
  let state = {paused: false, finished: false, completed: false, pace: ''};
  let closing = false;
  let hovered = null;  // the window last under the cursor
  let drawScheduled = false;
  // For tests and the curious: what is shown, in numbers.
  const shown = {frames: {}, first: {}, drawn: 0, strips: {}};
  window.mapplotServed = shown;

  function send(message) {
    if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message));
  }

  function showStatus() {
    let text = 'running';
    let kind = '';
    if (!socket || socket.readyState !== WebSocket.OPEN) {
      text = closing ? 'closed' : (state.finished ? 'ended' : 'disconnected');
      kind = 'disconnected';
    } else if (state.finished) {
      text = state.completed ? 'finished' : 'stopped';
      kind = 'finished';
    } else if (state.paused) {
      text = 'paused';
      kind = 'paused';
    }
    statusBadge.textContent = text;
    statusBadge.className = 'status ' + kind;
    paceText.textContent = state.pace || '';
    document.getElementById('pause').textContent = state.paused ? 'Go on' : 'Pause';
    closeButton.hidden = !state.finished || closing;
  }

  function pixelAt(view, event) {
    const box = view.canvas.getBoundingClientRect();
    if (box.width === 0 || box.height === 0) return null;
    return {
      x: Math.floor((event.clientX - box.left) * view.canvas.width / box.width),
      y: Math.floor((event.clientY - box.top) * view.canvas.height / box.height),
    };
  }

  function windowView(number, title) {
    let view = windows.get(number);
    if (view) {
      view.title.textContent = title;
      view.entry.textContent = number + ': ' + title;
      return view;
    }
    const section = document.createElement('section');
    section.className = 'window';
    section.id = 'window-' + number;
    section.dataset.number = number;
    const entry = document.createElement('a');
    entry.href = '#' + section.id;
    document.getElementById('list').append(entry);
    const heading = document.createElement('h2');
    const name = document.createElement('span');
    const frame = document.createElement('span');
    frame.className = 'frame';
    heading.append(name, frame);
    const canvas = document.createElement('canvas');
    canvas.width = 1;
    canvas.height = 1;
    canvas.tabIndex = 0;
    const strip = document.createElement('pre');
    strip.className = 'strip';
    const help = document.createElement('pre');
    help.className = 'help';
    help.hidden = !helpShown;
    help.textContent = helpLines.join('\n');
    section.append(heading, canvas, strip, help);
    document.getElementById('empty')?.remove();
    list.append(section);
    name.textContent = title;
    entry.textContent = number + ': ' + title;
    view = {number, section, title: name, entry, frameLabel: frame, canvas, strip, help,
            context: canvas.getContext('2d', {alpha: false}), pending: null, frame: 0,
            dragging: false};
    windows.set(number, view);
    sizes.observe(canvas);
    listenTo(view);
    return view;
  }

  function listenTo(view) {
    const {canvas, number} = view;
    canvas.addEventListener('mousemove', (event) => {
      hovered = view;
      const pixel = pixelAt(view, event);
      if (pixel) send({type: 'hover', window: number, ...pixel});
    });
    canvas.addEventListener('mouseleave', () => {
      if (!view.dragging) send({type: 'leave', window: number});
    });
    canvas.addEventListener('mousedown', (event) => {
      if (event.button !== 0) return;
      if (helpShown) {
        // A click only hides the keys' list, as in the windows.
        toggleHelp(false);
        return;
      }
      const pixel = pixelAt(view, event);
      if (!pixel) return;
      event.preventDefault();
      canvas.focus();
      view.dragging = true;
      canvas.classList.add('dragging');
      send({type: 'press', window: number, ...pixel});
    });
    canvas.addEventListener('dblclick', () => send({type: 'home', window: number}));
    canvas.addEventListener('wheel', (event) => {
      const pixel = pixelAt(view, event);
      if (!pixel) return;
      event.preventDefault();
      // One notch is 100 pixels or 3 lines of scrolling; up zooms in.
      const perNotch = event.deltaMode === 1 ? 3 : (event.deltaMode === 2 ? 1 : 100);
      const notches = Math.max(-10, Math.min(10, -event.deltaY / perNotch));
      if (notches !== 0) send({type: 'wheel', window: number, notches, ...pixel});
    }, {passive: false});
  }

  window.addEventListener('mousemove', (event) => {
    for (const view of windows.values()) {
      if (!view.dragging || event.target === view.canvas) continue;
      const pixel = pixelAt(view, event);
      if (pixel) send({type: 'hover', window: view.number, ...pixel});
    }
  });
  window.addEventListener('mouseup', () => {
    for (const view of windows.values()) {
      if (!view.dragging) continue;
      view.dragging = false;
      view.canvas.classList.remove('dragging');
      send({type: 'release', window: view.number});
    }
  });

  function sizeCanvas(view, width, height) {
    if (view.canvas.width === width && view.canvas.height === height) return;
    view.canvas.width = width;
    view.canvas.height = height;
    // Enlarged at most twice: its text stays legible, its cells sharp.
    view.canvas.style.maxWidth = (2 * width) + 'px';
  }

  // Enlarged, pixels stay square; reduced, they are smoothed, so that the
  // legend's text stays readable.
  const sizes = new ResizeObserver((entries) => {
    for (const entry of entries) {
      const canvas = entry.target;
      canvas.classList.toggle('enlarged', entry.contentRect.width >= canvas.width);
    }
  });

  function takeWindows(listed) {
    for (const each of listed) {
      const view = windowView(each.number, each.title || ('Window ' + each.number));
      if (!view.pending && view.frame === 0) sizeCanvas(view, each.width, each.height);
    }
  }

  function takeFrame(data) {
    if (data.byteLength < 16) return;
    const header = new DataView(data, 0, 16);
    const number = header.getUint32(0, true);
    const frame = header.getFloat64(8, true);
    const view = windows.get(number) || windowView(number, 'Window ' + number);
    createImageBitmap(new Blob([new Uint8Array(data, 16)], {type: 'image/png'})).then((bitmap) => {
      // Latest wins: an undrawn frame is replaced, never queued.
      if (view.pending) {
        view.pending.bitmap.close();
      }
      view.pending = {bitmap, frame};
      if (document.hidden) {
        draw();
      } else if (!drawScheduled) {
        drawScheduled = true;
        requestAnimationFrame(draw);
      }
    }, () => send({type: 'ack', window: number, frame}));
  }

  function draw() {
    drawScheduled = false;
    for (const view of windows.values()) {
      const pending = view.pending;
      if (!pending) continue;
      view.pending = null;
      const {bitmap, frame} = pending;
      sizeCanvas(view, bitmap.width, bitmap.height);
      view.context.drawImage(bitmap, 0, 0);
      bitmap.close();
      view.frame = frame;
      view.frameLabel.textContent = 'frame ' + frame;
      view.canvas.dataset.frame = frame;
      shown.frames[view.number] = frame;
      if (!(view.number in shown.first)) shown.first[view.number] = frame;
      shown.drawn += 1;
      send({type: 'ack', window: view.number, frame});
    }
  }

  function takeMessage(event) {
    if (typeof event.data !== 'string') {
      takeFrame(event.data);
      return;
    }
    let message;
    try {
      message = JSON.parse(event.data);
    } catch (error) {
      return;
    }
    if (message.type === 'hello') {
      program = message.program || program;
      document.title = program;
      helpLines = message.help || [];
      for (const view of windows.values()) view.help.textContent = helpLines.join('\n');
    }
    if (message.type === 'hello' || message.type === 'state') {
      state = message;
      showStatus();
    } else if (message.type === 'windows') {
      takeWindows(message.windows || []);
    } else if (message.type === 'strip') {
      const view = windows.get(message.window);
      const lines = message.lines || [];
      shown.strips[message.window] = lines;
      if (view) view.strip.textContent = lines.join('\n');
    }
  }

  function connect() {
    socket = new WebSocket(socketAddress);
    socket.binaryType = 'arraybuffer';
    socket.addEventListener('open', showStatus);
    socket.addEventListener('message', takeMessage);
    socket.addEventListener('close', () => {
      showStatus();
      // A dropped connection comes back while the program may still run.
      if (!closing && !state.finished) setTimeout(connect, 1000);
    });
  }

  function targetView() {
    return hovered || windows.values().next().value || null;
  }

  function save() {
    const view = targetView();
    if (!view || view.frame === 0) return;
    // The picture as shown, the user's view included.
    view.canvas.toBlob((blob) => {
      if (!blob) return;
      const link = document.createElement('a');
      link.href = URL.createObjectURL(blob);
      link.download = program + '-window-' + view.number + '-' + view.frame + '.png';
      document.body.append(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    }, 'image/png');
  }

  function toggleHelp(show = !helpShown) {
    helpShown = show;
    for (const view of windows.values()) view.help.hidden = !helpShown;
  }

  const command = (name) => () => send({type: 'command', command: name});
  document.getElementById('pause').addEventListener('click', command('pause'));
  document.getElementById('step').addEventListener('click', command('step'));
  document.getElementById('slower').addEventListener('click', command('slower'));
  document.getElementById('faster').addEventListener('click', command('faster'));
  document.getElementById('keys').addEventListener('click', () => toggleHelp());
  closeButton.addEventListener('click', () => {
    closing = true;
    send({type: 'close'});
    showStatus();
  });

  document.addEventListener('keydown', (event) => {
    if (event.altKey || event.metaKey) return;
    if (event.ctrlKey) {
      if (event.key === 's' || event.key === 'S') {
        event.preventDefault();
        if (!event.repeat) save();
      }
      return;
    }
    const key = event.key;
    if (helpShown && key !== 'F1' && key !== '?') {
      // Any key only hides the keys' list, as in the windows.
      toggleHelp(false);
      event.preventDefault();
      return;
    }
    if (key === ' ') {
      if (!event.repeat) send({type: 'command', command: 'pause'});
    } else if (key === 'ArrowRight' || key === '.') {
      send({type: 'command', command: 'step'});
    } else if (key === '+' || key === '=') {
      send({type: 'command', command: 'faster'});
    } else if (key === '-') {
      send({type: 'command', command: 'slower'});
    } else if (key === 'Home') {
      const view = targetView();
      if (view) send({type: 'home', window: view.number});
    } else if (key === 'F1' || key === '?') {
      toggleHelp();
    } else {
      return;
    }
    event.preventDefault();
  });

  connect();
})();
