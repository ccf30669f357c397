// Must not type-check: each line misuses the client.
import { Pushwren, type PushwrenInfo } from "@pushwren/page";

const wrongPath: Promise<PushwrenInfo> = Pushwren.call("/tags/get");
Pushwren.call("/tags/set", { tag: { a: "1" } });
Pushwren.on("infos", () => {});
