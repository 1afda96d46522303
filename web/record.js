// A video of the view on screen, recorded frame by frame: each frame is drawn
// off-screen by the program (polytree_video_frame), handed to the browser's
// own encoder (WebCodecs' VideoEncoder) and muxed into WebM or MP4 by
// Mediabunny. No frame is ever dropped: the next one is drawn only when the
// encoder has room for it, however slow the machine. Loaded by page.js when
// a person first asks for a recording.
import {
  BufferTarget, EncodedPacket, EncodedVideoPacketSource, Mp4OutputFormat, Output, WebMOutputFormat,
} from './mediabunny.js';

const QUEUED_FRAMES = 4;  // frames handed to the encoder but not yet encoded
const KEY_EVERY_SECONDS = 2;

// VP9 at the quantizer polytree-render's default CRF uses (the program's
// hooks give it, and the frame rate), where the encoder takes one; else, as
// H.264 always, at a bit rate for that quality on this figure of thin lines.
const BITS_PER_PIXEL = 0.6;

// The smallest level of each codec that holds the size at the frame rate: [level, largest picture, largest rate], in samples (VP9) or
// macroblocks (H.264).
const FORMATS = {
  webm: {
    name: 'VP9', extension: 'webm', muxer: () => new WebMOutputFormat(), source: 'vp9',
    unit: 1,
    levels: [[10, 36864, 829440], [20, 122880, 4608000], [30, 294912, 13271040], [31, 552960, 22118400],
      [40, 2228224, 66846720], [41, 2228224, 133693440], [50, 8912896, 267386880], [51, 8912896, 534773760],
      [52, 8912896, 1069547520], [60, 35651584, 1069547520], [61, 35651584, 2139095040],
      [62, 35651584, 4278190080]],
    codec: (level) => `vp09.00.${String(level).padStart(2, '0')}.08`,
  },
  mp4: {
    name: 'H.264', extension: 'mp4', muxer: () => new Mp4OutputFormat({ fastStart: 'in-memory' }), source: 'avc',
    unit: 256,
    levels: [[0x1f, 3600, 108000], [0x2a, 8704, 522240], [0x34, 36864, 2073600], [0x3e, 139264, 16711680]],
    codec: (level) => `avc1.6400${level.toString(16).padStart(2, '0')}`,
  },
};

const $ = (id) => document.getElementById(id);
const dialog = $('record-dialog');

let hooks = null;

function codecFor(format, width, height) {
  const picture = Math.ceil(width / 16) * Math.ceil(height / 16) * 256 / format.unit;
  const level = format.levels.find(([, size, rate]) => picture <= size && picture * hooks.fps <= rate);
  return level && format.codec(level[0]);
}

// The encoder's configurations to try, best first: VP9 at a quantizer where
// the encoder takes one, else (and H.264 always) at a bit rate.
function configsFor(format, codec, width, height) {
  const base = { codec, width, height, framerate: hooks.fps };
  const byRate = { ...base, bitrate: Math.round(width * height * hooks.fps * BITS_PER_PIXEL) };
  if (format.source === 'avc') return [{ ...byRate, avc: { format: 'avc' } }];
  return [{ ...base, bitrateMode: 'quantizer' }, byRate];
}

// The encoder's configuration for the format and size, or why there is none.
async function supported(format, width, height) {
  if (typeof VideoEncoder === 'undefined') {
    return { why: 'This browser has no video encoder for pages (WebCodecs).' };
  }
  const codec = codecFor(format, width, height);
  for (const config of codec ? configsFor(format, codec, width, height) : []) {
    try {
      if ((await VideoEncoder.isConfigSupported(config)).supported) return { config };
    } catch (invalid) {
      // Malformed for this browser: as unsupported.
    }
  }
  return { why: `This browser's encoder cannot make a ${format.name} video of ${width}x${height}.` };
}

let busy = null;  // the recording under way: { cancelled }

function showError(text, command) {
  $('video-error').textContent = text;
  $('video-error').hidden = false;
  $('video-command').textContent = command ?? '';
  $('video-command').hidden = !command;
}

function numberIn(id) {
  return Math.floor(Number($(id).value)) || 0;
}

// A recording is under way from the press of its button, so that closing
// the dialog waits for it even before its first frame.
function start(hooks) {
  let ended = null;
  const job = { cancelled: false, ended: new Promise((resolve) => { ended = resolve; }) };
  busy = job;
  recordVideo(hooks, job).finally(() => {
    busy = null;
    ended();
  });
}

async function recordVideo(hooks, job) {
  const width = numberIn('video-width');
  const height = numberIn('video-height');
  const frames = numberIn('video-frames');
  const format = FORMATS[$('video-format').value];
  $('video-error').hidden = true;
  $('video-command').hidden = true;
  if (width < 2 || height < 2 || width % 2 || height % 2 || frames < 1) {
    showError('A video has an even width and height, and at least one frame.');
    return;
  }
  const command = hooks.command(width, height, frames, format.extension);
  const name = hooks.fileName(format.extension);
  const { config, why } = await supported(format, width, height);
  if (job.cancelled) return;
  if (!config) {
    showError(`${why} polytree-render makes the same video:`, command);
    return;
  }
  const at = hooks.open(width, height);
  if (at === 0) {
    showError(hooks.error());
    return;
  }
  showBusy(true, 0, frames);
  let failure = null;
  let muxed = Promise.resolve();
  let room = null;
  let output = null;
  let encoder = null;
  try {
    output = new Output({ format: format.muxer(), target: new BufferTarget() });
    const source = new EncodedVideoPacketSource(format.source);
    output.addVideoTrack(source, { frameRate: hooks.fps });
    encoder = new VideoEncoder({
      output: (chunk, meta) => {
        const packet = EncodedPacket.fromEncodedChunk(chunk);
        muxed = muxed.then(() => source.add(packet, meta));
      },
      error: (error) => {
        failure = failure ?? error;
        room?.();
      },
    });
    encoder.addEventListener('dequeue', () => room?.());
    encoder.configure(config);
    await output.start();
    for (let n = 0; n < frames && !job.cancelled && !failure; n += 1) {
      if (!hooks.frame()) throw new Error(hooks.error());
      const frame = new VideoFrame(new Uint8Array(hooks.memory(), at, width * height * 4), {
        format: 'RGBX', codedWidth: width, codedHeight: height,
        timestamp: Math.round((n * 1e6) / hooks.fps), duration: Math.round(1e6 / hooks.fps),
      });
      const options = { keyFrame: n % (KEY_EVERY_SECONDS * hooks.fps) === 0 };
      if (config.bitrateMode === 'quantizer') options.vp9 = { quantizer: hooks.quantizer };
      encoder.encode(frame, options);
      frame.close();
      while (encoder.encodeQueueSize > QUEUED_FRAMES && !job.cancelled && !failure) {
        await new Promise((resolve) => { room = resolve; });
      }
      await muxed;
      showBusy(true, n + 1, frames);
    }
    if (!job.cancelled && !failure) {
      await encoder.flush();
      await muxed;
    }
    if (failure) throw failure;
    if (!job.cancelled) {
      await output.finalize();
      const file = document.createElement('a');
      file.href = URL.createObjectURL(new Blob([output.target.buffer], { type: `video/${format.extension}` }));
      file.download = name;
      file.click();
      setTimeout(() => URL.revokeObjectURL(file.href), 60000);
      hooks.notice(`The video is ready: ${frames} frames, ${(output.target.buffer.byteLength / 1e6).toFixed(1)} MB.`);
    }
  } catch (error) {
    showError(`The video cannot be made (${error.message ?? error}). polytree-render makes the same video:`, command);
  } finally {
    // Nothing more comes from a closed encoder; what it gave is muxed
    // before a cancelled output lets it go.
    if (encoder && encoder.state !== 'closed') encoder.close();
    await muxed.catch(() => {});
    if (output && output.state !== 'finalized') await output.cancel().catch(() => {});
    hooks.close();
    showBusy(false);
  }
}

function showBusy(recording, done, frames) {
  $('video-progress-line').hidden = !recording;
  $('video-start').hidden = recording;
  $('video-cancel').hidden = !recording;
  for (const id of ['video-width', 'video-height', 'video-frames', 'video-format']) $(id).disabled = recording;
  if (!recording) return;
  $('video-progress').max = frames;
  $('video-progress').value = done;
  $('video-progress-text').textContent = `frame ${done} of ${frames}`;
}

// A cancelled recording offers nothing. Closing the dialog cancels it, and
// the figure goes on only once the recording has let the context go.
function cancel() {
  if (busy) busy.cancelled = true;
  return busy ? busy.ended : Promise.resolve();
}

async function close() {
  if (!dialog.open) return;
  await cancel();
  if (!dialog.open) return;
  dialog.close();
  hooks.resume();
}

let listening = false;

// Opens the recording dialog for the view on screen: its size the canvas's,
// made even; H.264 offered where the browser encodes it.
export async function record(given) {
  hooks = given;
  if (!listening) {
    listening = true;
    $('video-start').addEventListener('click', () => { if (!busy) start(hooks); });
    $('video-cancel').addEventListener('click', cancel);
    $('video-close').addEventListener('click', close);
    dialog.addEventListener('cancel', (event) => {
      event.preventDefault();
      close();
    });
  }
  $('video-width').value = Math.max(2, hooks.width - (hooks.width % 2));
  $('video-height').value = Math.max(2, hooks.height - (hooks.height % 2));
  $('video-error').hidden = true;
  $('video-command').hidden = true;
  showBusy(false);
  dialog.showModal();
  const select = $('video-format');
  if (select.options.length === 1 && !(await supported(FORMATS.mp4, 640, 480)).why) {
    select.add(new Option('MP4 (H.264)', 'mp4'));
  }
}
