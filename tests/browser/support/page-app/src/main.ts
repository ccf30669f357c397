import { Pushwren, type PushwrenInfo } from "@pushwren/page";

const $ = (id: string): HTMLElement => document.getElementById(id)!;

let infos = 0;
function showInfo(info: PushwrenInfo): void {
  infos += 1;
  $("infos").textContent = String(infos);
  $("subscription").textContent = info.subscription.optedIn ? "opted in" : "not opted in";
  console.info("info heard", info.subscription.optedIn);
}

const stop: () => void = Pushwren.on("info", showInfo);
window.addEventListener("pagehide", stop);

const answer = await Pushwren.call("/tags/get");
$("tags").textContent = JSON.stringify(answer.tags);
