// The trace's tools: a filter by text, following the newest line (paused while the person reads
// further up), clearing the view (the device's record keeps every line) and copying what is shown.

const $ = (id) => document.getElementById(id);

// Lines this close to the end still count as "at the end" when the person scrolls.
const AT_END_PX = 24;

export class TraceView {
  #trace = $("trace");
  #filter = $("trace-filter");
  #follow = $("trace-follow");
  #panel;

  constructor(panel) {
    this.#panel = panel;
    this.#filter.addEventListener("input", () => this.#applyFilter(this.#trace.querySelectorAll(".trace-step")));
    this.#follow.addEventListener("change", () => this.#setFollowing(this.#follow.checked));
    // Scrolling up pauses following; scrolling back to the end resumes it.
    this.#trace.addEventListener("wheel", () => requestAnimationFrame(() => this.#followIfAtEnd()));
    this.#trace.addEventListener("keyup", () => this.#followIfAtEnd());
    this.#trace.addEventListener("pointerup", () => this.#followIfAtEnd());
    $("trace-clear").addEventListener("click", () => panel.clearTrace());
    $("trace-copy").addEventListener("click", () => this.#copy());
    // New lines are filtered as they come.
    new MutationObserver((changes) => {
      if (!this.#filter.value) return;
      const groups = new Set();
      for (const change of changes) {
        const target = change.target.closest?.(".trace-step") ?? change.target;
        if (target.classList?.contains("trace-step")) groups.add(target);
        for (const node of change.addedNodes) if (node.classList?.contains("trace-step")) groups.add(node);
      }
      this.#applyFilter(groups);
    }).observe(this.#trace, { childList: true, subtree: true });
  }

  #setFollowing(on) {
    this.#follow.checked = on;
    this.#panel.following = on;
    if (on) this.#trace.scrollTop = this.#trace.scrollHeight;
  }

  #followIfAtEnd() {
    const atEnd = this.#trace.scrollHeight - this.#trace.scrollTop - this.#trace.clientHeight <= AT_END_PX;
    if (atEnd !== this.#panel.following) this.#setFollowing(atEnd);
  }

  // A line shows when it holds the text; a step shows when its heading or any line does.
  #applyFilter(groups) {
    const text = this.#filter.value.toLowerCase();
    for (const group of groups) {
      const heading = group.querySelector(".step-source");
      const headingMatches = !text || (heading?.textContent.toLowerCase().includes(text) ?? false);
      let anyLine = false;
      for (const line of group.querySelectorAll(".trace-line")) {
        const matches = !text || headingMatches || line.textContent.toLowerCase().includes(text);
        line.hidden = !matches;
        anyLine ||= matches;
      }
      group.hidden = !(headingMatches || anyLine);
    }
  }

  // The lines shown, as trace text: one JSON array a line.
  #copy() {
    const lines = [...this.#trace.querySelectorAll(".trace-line")]
      .filter((line) => !line.hidden && !line.closest(".trace-step")?.hidden)
      .map((line) => line.lastElementChild.textContent);
    navigator.clipboard.writeText(lines.join("\n") + "\n").then(
      () => this.#panel.notice(`Copied ${lines.length} trace line${lines.length === 1 ? "" : "s"}`),
      (e) => this.#panel.notice(`The trace could not be copied: ${e.message}`),
    );
  }
}
