// Glowmotion's page: loads the show (glowmotion.js and .wasm), its pictures
// (glowmotion.data) and its music, shows the start card, and once the viewer
// clicks or presses a key plays the show full-window with the music, one
// frame per animation frame. The show clock is the music's clock: every
// frame draws the position the listener hears.
//
// Address options: ?controls turns on the watching keys (as --controls on
// the desktop); ?start=S starts the show at S seconds (as --start-at).
// #start=S&fps=F&end=E renders the frames of show time [S, E) at F a second
// as fast as it can, as `glowmotion --capture` does, shows the last and sets
// the title to "done" (no music, no card).
//
// As on the desktop, the picture at show time S is the one the show draws
// after every frame from 0 to S: before it draws S after a start past 0 or
// a jump, the page has the show run the frames before S unseen (stills at
// their frame rate, the live show at 60 a second), in parts between which
// the browser stays responsive; when that takes long, the message box says
// how far it is. Keys wait until it is done.
//
// window.glowmotion is the page's state, for tests and the curious: state
// ("loading", "ready", "starting", "playing", "ended", "rendering", "done",
// "failed"), showTime (the last frame's show time), audioTime (the music's
// own clock at that frame), scene, frames, message, and in milliseconds
// since the page began: readyAt (the start card drawn), pressedAt (the
// press that started the show), firstFrameAt (its first frame), loading;
// drawMs, the milliseconds spent in the frames' drawing calls; prepared,
// the last run of frames before a start or jump: { target, frames, ms }.
'use strict';

(function () {
  const kShowEnd = 125.0;           // the show ends after this show time
  const kStepSeconds = 1 / 60;      // `.` and `,` while paused
  const kLongSeek = 5.0;            // Left / Right
  const kShortSeek = 1.0;           // Down / Up
  const kMusicLead = 0.05;          // the music starts this long after the press
  const kResumeWait = 2000;         // ms to wait for the browser to allow sound
  const kPreparePart = 40;          // ms of frames run unseen before the browser gets a turn
  const kPrepareFrames = 30;        // frames run unseen between looks at the time
  const kPrepareQuiet = 500;        // ms of preparing before the message box says so

  const canvas = document.getElementById('canvas');
  const note = document.getElementById('note');
  const corner = document.getElementById('corner');
  const query = new URLSearchParams(location.search);
  const controls = query.has('controls');

  const status = {
    state: 'loading', showTime: 0, audioTime: null, scene: '', frames: 0, message: '',
    readyAt: null, pressedAt: null, firstFrameAt: null, audioBlocked: false, music: null,
    loading: {},  // ms since the page began: when each step of loading ended
    drawMs: 0,    // ms the page's script and the show's code spent drawing frames
    prepared: null,
  };
  window.glowmotion = status;

  let show = null;          // the compiled show's exports
  let music = null;         // MusicClock or SilentClock, once the music is decoded (or failed)
  let musicReady = null;    // settles when `music` is set
  let startAt = 0;
  let paused = false;
  let drawOnce = false;     // a seek or step while paused draws one frame
  let fpsShown = false;
  let fpsFrames = 0, fpsSince = 0, fpsRate = null;
  let cardStarted = performance.now();
  let preparing = false;    // frames before a start or jump are running
  let afterPreparing = null;

  function say(text) {
    note.textContent = text;
    note.hidden = !text;
    status.message = text;
  }

  function fail(text) {
    status.state = 'failed';
    say(text);
  }

  // ---- options -----------------------------------------------------------

  function number(text, name, low, high) {
    const value = Number(text);
    if (text === null || text === '' || !Number.isFinite(value) || value < low || value > high) {
      throw new Error(`${name} must be a number from ${low} to ${high} (got "${text}")`);
    }
    return value;
  }

  // The stills asked for in the address's #fragment, or null.
  function stillsRequest() {
    if (!location.hash.includes('fps=')) return null;
    const hash = new URLSearchParams(location.hash.slice(1));
    const fps = number(hash.get('fps'), 'fps', 1, 240);
    if (!Number.isInteger(fps)) throw new Error('fps must be a whole number from 1 to 240');
    const start = number(hash.get('start') ?? '0', 'start', 0, kShowEnd);
    const end = Math.min(number(hash.get('end') ?? String(kShowEnd), 'end', start, 3600), kShowEnd);
    return { start, fps, end };
  }

  // ---- loading -----------------------------------------------------------

  async function fetchOk(name, what) {
    let response;
    try {
      response = await fetch(name);
    } catch (error) {
      throw new Error(`${what} (${name}) could not be fetched: ${error.message}`);
    }
    if (!response.ok) {
      throw new Error(`${what} (${name}) could not be loaded: ${response.status} ${response.statusText}`.trim());
    }
    return response;
  }

  // glowmotion.data: gzip of "glowmotion-data 1\n", a JSON list of
  // [name, size], a newline, the files' bytes (web/pack-data.py).
  async function loadPictures(module) {
    const what = "The show's pictures and font";
    if (typeof DecompressionStream !== 'function') {
      throw new Error(`This browser cannot unpack ${what.charAt(0).toLowerCase()}${what.slice(1)} ` +
                      '(it has no DecompressionStream); a current browser plays the show');
    }
    const response = await fetchOk('glowmotion.data', what);
    let bytes;
    try {
      const unpacked = response.body.pipeThrough(new DecompressionStream('gzip'));
      bytes = new Uint8Array(await new Response(unpacked).arrayBuffer());
    } catch (error) {
      throw new Error(`${what} (glowmotion.data) are damaged: ${error.message}`);
    }
    const firstEnd = bytes.indexOf(10);
    const secondEnd = bytes.indexOf(10, firstEnd + 1);
    const decoder = new TextDecoder();
    if (firstEnd < 0 || secondEnd < 0 || decoder.decode(bytes.subarray(0, firstEnd)) !== 'glowmotion-data 1') {
      throw new Error(`${what} (glowmotion.data) are not a Glowmotion data package`);
    }
    const index = JSON.parse(decoder.decode(bytes.subarray(firstEnd + 1, secondEnd)));
    module.FS.mkdirTree('/data');
    let at = secondEnd + 1;
    for (const [name, size] of index) {
      if (at + size > bytes.length) throw new Error(`${what} (glowmotion.data) end inside ${name}`);
      module.FS.writeFile('/data/' + name, bytes.subarray(at, at + size));
      at += size;
    }
  }

  // The music, decoded whole: the first of the encodings this browser
  // plays that loads and decodes.
  async function loadMusic(context) {
    const probe = document.createElement('audio');
    const choices = [['glowmotion.ogg', 'audio/ogg; codecs=opus'], ['glowmotion.mp3', 'audio/mpeg']];
    const reasons = [];
    for (const [name, type] of choices) {
      if (!probe.canPlayType(type)) {
        reasons.push(`${name}: this browser plays no ${type}`);
        continue;
      }
      try {
        const response = await fetchOk(name, 'The music');
        const encoded = await response.arrayBuffer();
        const buffer = await context.decodeAudioData(encoded);
        status.music = name;
        return buffer;
      } catch (error) {
        reasons.push(error.message || String(error));
      }
    }
    throw new Error(reasons.join('; '));
  }

  function startModule() {
    if (typeof createGlowmotion !== 'function') {
      return Promise.reject(new Error('The show (glowmotion.js) could not be loaded'));
    }
    return createGlowmotion({
      canvas,
      print: (text) => console.log(text),
      printErr: (text) => console.warn(text),
      onAbort: (what) => fail(`The show stopped: ${what}`),
    }).catch((error) => {
      throw new Error(`The show (glowmotion.wasm) could not be started: ${error.message || error}`);
    });
  }

  function bindShow(module) {
    return {
      module,
      open: module.cwrap('glowmotion_open', 'number', []),
      message: module.cwrap('glowmotion_message', 'string', []),
      resize: module.cwrap('glowmotion_resize', null, ['number', 'number']),
      load: module.cwrap('glowmotion_load', null, []),
      begin: module.cwrap('glowmotion_begin', null, ['number', 'number']),
      jump: module.cwrap('glowmotion_jump', null, ['number']),
      prepare: module.cwrap('glowmotion_prepare', 'number', ['number']),
      preparedFrames: module.cwrap('glowmotion_prepared_frames', 'number', []),
      preparedSeconds: module.cwrap('glowmotion_prepared_seconds', 'number', []),
      frame: module.cwrap('glowmotion_frame', 'number', ['number']),
      step: module.cwrap('glowmotion_step', 'number', []),
      frameCount: module.cwrap('glowmotion_frame_count', 'number', ['number', 'number', 'number']),
      card: module.cwrap('glowmotion_card', null, ['number', 'number']),
      momentBefore: module.cwrap('glowmotion_moment_before', 'number', ['number']),
      momentAfter: module.cwrap('glowmotion_moment_after', 'number', ['number']),
      place: module.cwrap('glowmotion_place', 'string', ['number']),
    };
  }

  // ---- clocks ------------------------------------------------------------

  // The show clock from the music: the position the listener hears now
  // (the context's output timestamp, carried forward to this moment).
  class MusicClock {
    constructor(context, buffer) {
      this.context = context;
      this.buffer = buffer;
      this.source = null;
      this.anchorContext = 0;   // context time at which the source plays anchorShow
      this.anchorShow = 0;
      this.running = false;
      this.stoppedAt = 0;
      this.last = 0;
    }
    heard() {
      const c = this.context;
      if (c.getOutputTimestamp) {
        const stamp = c.getOutputTimestamp();
        if (stamp.performanceTime > 0) return stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000;
      }
      return c.currentTime - (c.outputLatency || c.baseLatency || 0);
    }
    position() {
      if (!this.running) return this.stoppedAt;
      // Never behind where the music started, never backwards between seeks.
      this.last = Math.max(this.last, this.anchorShow + (this.heard() - this.anchorContext));
      return this.last;
    }
    // The music's own clock: where the player is in the song.
    audioPosition() {
      if (!this.running) return this.stoppedAt;
      return Math.max(this.anchorShow, this.anchorShow + (this.context.currentTime - this.anchorContext));
    }
    play(from) {
      this.halt();
      const when = this.context.currentTime + kMusicLead;
      if (from < this.buffer.duration) {
        this.source = this.context.createBufferSource();
        this.source.buffer = this.buffer;
        this.source.connect(this.context.destination);
        this.source.start(when, from);
      }
      this.anchorContext = when;
      this.anchorShow = from;
      this.last = from;
      this.running = true;
    }
    stop() {
      this.stoppedAt = this.position();
      this.halt();
      this.running = false;
    }
    halt() {
      if (this.source) {
        try { this.source.stop(); } catch (error) { /* never started */ }
        this.source.disconnect();
        this.source = null;
      }
    }
  }

  // A show without music keeps time with the page's own clock.
  class SilentClock {
    constructor() { this.anchorNow = 0; this.anchorShow = 0; this.running = false; this.stoppedAt = 0; }
    position() {
      return this.running ? this.anchorShow + (performance.now() - this.anchorNow) / 1000 : this.stoppedAt;
    }
    audioPosition() { return null; }
    play(from) { this.anchorNow = performance.now(); this.anchorShow = from; this.running = true; }
    stop() { this.stoppedAt = this.position(); this.running = false; }
  }

  // ---- drawing -----------------------------------------------------------

  function fitCanvas() {
    const ratio = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    const height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    if (canvas.width === width && canvas.height === height) return false;
    canvas.width = width;
    canvas.height = height;
    if (show) show.resize(width, height);
    return true;
  }

  function drawCard() {
    fitCanvas();
    show.card(status.state === 'ready' ? 0 : 1, (performance.now() - cardStarted) / 1000);
  }

  function cardLoop() {
    if (status.state !== 'ready' && status.state !== 'ended') return;
    drawCard();
    requestAnimationFrame(cardLoop);
  }

  function showCard(state) {
    status.state = state;
    cardStarted = performance.now();
    drawCard();
    if (status.readyAt === null) status.readyAt = performance.now();
    requestAnimationFrame(cardLoop);
  }

  function drawFrame() {
    const position = music.position();
    const began = performance.now();
    const drawn = show.frame(position - startAt);
    status.drawMs += performance.now() - began;
    status.showTime = drawn;
    status.audioTime = music.audioPosition();
    status.scene = show.place(drawn);
    status.frames += 1;
    if (status.firstFrameAt === null) status.firstFrameAt = performance.now();
    return drawn;
  }

  function showLoop(now) {
    if (status.state !== 'playing') return;
    fpsFrames += 1;  // frames presented, drawn or held while paused
    if (preparing) {
      requestAnimationFrame(showLoop);
      return;
    }
    const resized = fitCanvas();
    if (!paused || drawOnce || resized) {
      drawOnce = false;
      if (drawFrame() > kShowEnd) {
        endShow();
        return;
      }
    }
    updateCorner(now);
    requestAnimationFrame(showLoop);
  }

  function updateCorner(now) {
    if (now - fpsSince >= 1000) {
      fpsRate = Math.round((fpsFrames * 1000) / (now - fpsSince));
      fpsFrames = 0;
      fpsSince = now;
    }
    const lines = [];
    if (fpsShown) lines.push(`.:[fps ${fpsRate === null ? '...' : fpsRate}]:.`);
    if (controls && status.state === 'playing') {
      lines.push(`${status.showTime.toFixed(2)} s | ${status.scene}${paused ? ' | paused' : ''}`);
    }
    corner.textContent = lines.join('\n');
    corner.hidden = lines.length === 0;
  }

  // ---- preparing ----------------------------------------------------------

  // Runs the frames that show.begin or show.jump planned up to `target`,
  // about kPreparePart ms at a time, then calls `then`. Asked again while
  // running (a new plan), the same run goes on and calls the newest `then`.
  function prepare(target, then) {
    afterPreparing = then;
    if (preparing) return;
    preparing = true;
    const began = performance.now();
    const part = () => {
      const until = performance.now() + kPreparePart;
      let done = 0;
      do {
        done = show.prepare(kPrepareFrames);
      } while (done < 1 && performance.now() < until);
      if (done < 1) {
        if (performance.now() - began > kPrepareQuiet) {
          say(`Preparing the show at ${target.toFixed(1)} s: ${Math.floor(done * 100)} %`);
        }
        setTimeout(part, 0);
        return;
      }
      preparing = false;
      status.prepared = { target, frames: show.preparedFrames(), ms: performance.now() - began };
      if (performance.now() - began > kPrepareQuiet) say('');
      const next = afterPreparing;
      afterPreparing = null;
      next();
    };
    part();
  }

  // ---- the show's course --------------------------------------------------

  async function startShow() {
    status.pressedAt = performance.now();
    status.firstFrameAt = null;
    const from = status.state === 'ended' ? 0 : startAt;
    const replay = status.state === 'ended';
    status.state = 'starting';
    if (!music) {
      say('loading the music…');
      await musicReady;
    }
    if (music instanceof MusicClock && music.context.state !== 'running') {
      const allowed = await Promise.race([
        music.context.resume().then(() => true, () => false),
        new Promise((resolve) => setTimeout(() => resolve(false), kResumeWait)),
      ]);
      if (!allowed || music.context.state !== 'running') {
        status.audioBlocked = true;
        say('This browser keeps the page silent, so the show has not started. ' +
            'Click or press a key again to start it with its music.');
        showCard(replay ? 'ended' : 'ready');
        return;
      }
    }
    status.audioBlocked = false;
    say('');
    if (replay) show.load();
    startAt = from;
    paused = false;
    show.begin(startAt, 0);
    prepare(startAt, () => {
      music.play(startAt);
      status.state = 'playing';
      fpsSince = performance.now();
      fpsFrames = 0;
      requestAnimationFrame(showLoop);
    });
  }

  function endShow() {
    music.stop();
    paused = false;
    updateCorner(performance.now());
    showCard('ended');
  }

  function seekTo(target) {
    target = Math.max(0, target);
    if (target > kShowEnd) {
      endShow();
      return;
    }
    // Silent while the frames up to the new place run; then on from there.
    if (!paused) music.stop();
    music.stoppedAt = target;
    show.jump(target);
    prepare(target, () => {
      if (paused) drawOnce = true;
      else music.play(target);
    });
  }

  function setPaused(pause) {
    if (pause === paused) return;
    paused = pause;
    if (pause) {
      music.stop();
      drawOnce = true;  // the frame of the moment of pausing
    } else {
      music.play(music.stoppedAt);
    }
  }

  // The watching keys; true when the key was one of them.
  function watchingKey(event) {
    const now = music.position();
    const once = !event.repeat;
    switch (event.key) {
      case ' ': if (once) setPaused(!paused); return true;
      case 'Home': if (once) seekTo(0); return true;
      case 'PageUp': if (once) seekTo(show.momentBefore(now)); return true;
      case 'PageDown': {
        const next = show.momentAfter(now);
        if (once && next > now) seekTo(next);
        return true;
      }
      case 'ArrowLeft': seekTo(now - kLongSeek); return true;
      case 'ArrowRight': seekTo(now + kLongSeek); return true;
      case 'ArrowDown': seekTo(now - kShortSeek); return true;
      case 'ArrowUp': seekTo(now + kShortSeek); return true;
      case '.': if (paused) seekTo(now + kStepSeconds); return true;
      case ',': if (paused) seekTo(now - kStepSeconds); return true;
      default: return false;
    }
  }

  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(() => {});
    }
  }

  function onKey(event) {
    if (status.state === 'loading' || status.state === 'failed' || status.state === 'rendering' ||
        status.state === 'done' || event.ctrlKey || event.altKey || event.metaKey) {
      return;
    }
    const key = event.key;
    if (key === 'F12' || key === 'i' || key === 'I') {
      event.preventDefault();
      if (event.repeat) return;
      fpsShown = !fpsShown;
      fpsRate = null;
      updateCorner(performance.now());
      return;
    }
    if (key === 'f' || key === 'F') {
      if (!event.repeat) toggleFullscreen();
      if (status.state === 'playing') return;
    }
    if (status.state === 'ready' || (status.state === 'ended' && key !== 'Escape')) {
      event.preventDefault();
      if (!event.repeat) startShow();
      return;
    }
    if (status.state !== 'playing') return;
    if (preparing) {
      event.preventDefault();
      return;
    }
    if (key === 'Escape') {
      endShow();
    } else if (controls && watchingKey(event)) {
      event.preventDefault();
    }
  }

  function onPointer(event) {
    if (event.button !== 0) return;
    if (status.state === 'ready' || status.state === 'ended') startShow();
  }

  // ---- stills ------------------------------------------------------------

  function renderStills(request) {
    status.state = 'rendering';
    const total = show.frameCount(request.start, request.end, request.fps);
    let k = 0;
    show.begin(request.start, request.fps);
    const batch = () => {
      const until = performance.now() + 40;
      while (k < total && performance.now() < until) {
        status.showTime = show.step();
        status.scene = show.place(status.showTime);
        k += 1;
        status.frames = k;
      }
      if (k < total) {
        setTimeout(batch, 0);
        return;
      }
      status.state = 'done';
      document.title = 'done';
    };
    prepare(request.start, batch);
  }

  // ---- start-up ----------------------------------------------------------

  async function main() {
    let stills;
    try {
      stills = stillsRequest();
      if (query.has('start')) startAt = number(query.get('start'), 'start', 0, kShowEnd - 0.001);
    } catch (error) {
      fail(`The address asks for something the show cannot do: ${error.message}.`);
      return;
    }
    let context = null;
    if (!stills) {
      const AudioContextClass = window.AudioContext || window.webkitAudioContext;
      if (AudioContextClass) context = new AudioContextClass();
    }
    const musicLoaded = context ? loadMusic(context).then((buffer) => ({ buffer }), (error) => ({ error }))
                                : Promise.resolve({ error: new Error('this browser plays no Web Audio') });
    try {
      const module = await startModule();
      status.loading.module = performance.now();
      await loadPictures(module);
      status.loading.pictures = performance.now();
      show = bindShow(module);
      status.memory = () => module.HEAP8.length;
      if (!show.open()) throw new Error(`The show cannot draw here: ${show.message()}`);
      status.loading.canvas = performance.now();
    } catch (error) {
      fail(error.message);
      return;
    }
    canvas.addEventListener('webglcontextlost', (event) => {
      event.preventDefault();
      fail('The graphics card stopped drawing for this page; reload it to watch the show again.');
    });
    fitCanvas();
    show.load();
    status.loading.scenes = performance.now();
    if (stills) {
      say('');
      renderStills(stills);
      return;
    }
    say('');
    // The card comes first; a press before the music is decoded waits for it.
    musicReady = musicLoaded.then((loaded) => {
      status.loading.music = performance.now();
      if (loaded.buffer) {
        music = new MusicClock(context, loaded.buffer);
      } else {
        music = new SilentClock();
        console.warn(`No music: ${loaded.error.message}`);
        if (status.state === 'ready') say(`No music: ${loaded.error.message}. The show plays in silence.`);
      }
    });
    window.addEventListener('keydown', onKey);
    // On the whole page: a click on the message box counts too.
    window.addEventListener('pointerdown', onPointer);
    window.addEventListener('dblclick', toggleFullscreen);
    window.addEventListener('resize', () => { if (paused) drawOnce = true; });
    canvas.focus();
    showCard('ready');
  }

  window.addEventListener('error', (event) => {
    if (status.state !== 'failed') fail(`The show stopped: ${event.message}`);
  });
  main();
})();
